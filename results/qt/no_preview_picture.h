#pragma once
// The picture the thumbnail browser shows for a carved photo that does not decode.
#include <QImage>

namespace salvex::gui {

QImage paint_no_preview_picture(int side);

}  // namespace salvex::gui
