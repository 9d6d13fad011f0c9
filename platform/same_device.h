#pragma once
#include <string>

namespace salvex::platform {

// Whether saving into folder writes onto the block device at device_path: the
// folder's file system lies on that device, on a partition of it, or on a mapping
// (encryption, LVM) built over either. A folder that does not exist yet counts by
// its nearest existing parent. A disk-image file is never written by saving
// beside it, so it gives false, as does anything that cannot be examined.
bool writes_onto_device(const std::string& folder, const std::string& device_path);

}  // namespace salvex::platform
