#pragma once
// Mounted volumes on macOS, as the system's disk tool describes them.
#include <optional>
#include <string>

#include "devices/volume_source.h"

namespace salvex::platform {

// The seven keys from the property list that "diskutil info -plist" prints;
// nothing when the text is not a property list with a dictionary at its top.
std::optional<VolumeInfo> volume_info_from_diskutil_plist(const std::string& text);

}  // namespace salvex::platform
