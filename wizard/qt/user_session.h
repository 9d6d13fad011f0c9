#pragma once
#include <QUrl>

namespace salvex::gui {

// Opens a file, folder or link with the desktop's own choice of program. In a
// copy that runs as root for someone else, that program runs as that person,
// in their session, never as root.
bool open_in_user_session(const QUrl& url);

}  // namespace salvex::gui
