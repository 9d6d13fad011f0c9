#pragma once
#include <string>

namespace salvex::platform {

// Whether saving into folder writes onto the source at source_path: the folder's
// file system lies on that block device, on a partition of it, or on a mapping
// (encryption, LVM) built over either; for a disk-image file, on a loop device
// that file backs (the image mounted). A folder that does not exist yet counts by
// its nearest existing parent. Anything that cannot be examined gives false.
bool writes_onto_device(const std::string& folder, const std::string& source_path);

// Whether a search into result_folder could write over the source itself: the
// source file (for a loop device, the file behind it) is the result folder or a
// folder on the way to it, or already lies in the result tree where a result
// could be saved over it. Compared by identity, so other names and links count.
bool result_folder_holds_source(const std::string& result_folder, const std::string& source_path);

}  // namespace salvex::platform
