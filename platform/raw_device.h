#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace salvex::platform {

// The node a volume is read through: "/dev/sdb1" on Linux, "/dev/rdisk2s1" on
// macOS. An absolute path (a disk image) is read as it is.
std::string raw_device_path(const std::string& identifier);

// Size in bytes of a block device or an image file; nothing for anything else.
std::optional<std::uint64_t> source_size_bytes(const std::string& path);

}  // namespace salvex::platform
