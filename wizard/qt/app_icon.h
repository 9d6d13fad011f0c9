#pragma once
#include <QIcon>

namespace salvex::gui {

// The program's icon: a memory card with an arrow bringing something back,
// painted in the desktop's highlight colour.
QIcon app_icon();

}  // namespace salvex::gui
