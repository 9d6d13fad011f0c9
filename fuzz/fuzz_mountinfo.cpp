// Any text as /proc/self/mountinfo.
#include <cstdint>
#include <string>

#include "platform/linux_volumes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto entries = salvex::platform::parse_mountinfo(std::string(reinterpret_cast<const char*>(data), size));
    for (const auto& e : entries) (void)salvex::platform::readable_file_system(e.fs_type, e.source);
    return 0;
}
