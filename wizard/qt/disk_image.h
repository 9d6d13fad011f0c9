#pragma once
// A disk-image file as a row of the device list, so a copy of a card can be
// searched instead of the card itself.
#include <optional>
#include <string>

#include "devices/my_data_object.h"

namespace salvex::gui {

// Nothing when the file's size cannot be read.
std::optional<MyDataObject> disk_image_record(const std::string& path);

}  // namespace salvex::gui
