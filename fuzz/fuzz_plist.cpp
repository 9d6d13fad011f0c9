// Any text as the disk tool's property list or a bundle's Info.plist.
#include <cstdint>
#include <string>

#include "platform/diskutil_volumes.h"
#include "platform/plist.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (const auto root = salvex::parse_plist(text)) (void)salvex::plist_string(*root, "CFBundleName");
    (void)salvex::platform::volume_info_from_diskutil_plist(text);
    return 0;
}
