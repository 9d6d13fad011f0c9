#pragma once
#include <QObject>
#include <QUrl>
#include <functional>

namespace salvex::gui {

// Opens a file, folder or link with the desktop's own choice of program (xdg-open).
// In a copy that runs as root for someone else, that program runs as that person,
// in their session, never as root. False when there is no opener to start; when
// the opener starts but soon reports that it could not open the thing, failed
// runs later, on the interface thread (owner's thread), unless owner is gone.
bool open_in_user_session(const QUrl& url, QObject* owner, std::function<void()> failed);

// How long an opener may take to report a failure; after that it counts as having
// started a program, whose own exit says nothing about the opening.
inline constexpr int kOpenerVerdictMs = 5000;

}  // namespace salvex::gui
