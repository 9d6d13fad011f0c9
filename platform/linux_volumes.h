#pragma once
// Mounted volumes on Linux: /proc/self/mountinfo names what is mounted where,
// sysfs tells whole disk, size and bus, and libblkid reads label and file system
// from the volume itself (no helper process, and it works without udev).
#include <string>
#include <vector>

#include "devices/volume_source.h"

namespace salvex::platform {

struct MountEntry {
    unsigned major = 0, minor = 0;
    std::string mount_point;
    std::string fs_type;
    std::string source;  // e.g. /dev/sdb1
};

// Lines that do not have the mountinfo shape are left out.
std::vector<MountEntry> parse_mountinfo(const std::string& text);

// "MS-DOS (FAT32)", "ExFAT", "NTFS", "ext4", ... from a file-system type and version.
std::string readable_file_system(const std::string& type, const std::string& version);

class LinuxVolumeSource : public VolumeSource {
public:
    // root lets tests stand a recorded /proc and /sys tree in for the real ones.
    explicit LinuxVolumeSource(std::string root = "") : root_(std::move(root)) {}
    std::vector<std::string> mounted_paths(bool all_local) override;
    std::optional<VolumeInfo> query(const std::string& mount_path) override;

private:
    struct Volume {
        MountEntry mount;
        std::string name, parent, sys_path;
        bool removable = false;
    };
    std::vector<Volume> volumes();
    std::string root_;
};

}  // namespace salvex::platform
