#pragma once
// Real block devices for tests: a loop device over a file, and an ext4 file
// system mounted from one. Both need root and the loop driver; callers skip with
// the reason these give when they are missing.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/shell.h"
#include "support/temp_folder.h"

namespace salvex::test {

// Detached when the test ends.
class LoopDevice {
public:
    explicit LoopDevice(const std::string& backing) {
        const Ran r = run("losetup --find --show " + quote(backing));
        if (r.status == 0) node_ = r.output.substr(0, r.output.find('\n'));
    }
    ~LoopDevice() {
        if (!node_.empty()) std::system(("losetup -d " + node_ + " 2>/dev/null").c_str());
    }
    LoopDevice(const LoopDevice&) = delete;
    LoopDevice& operator=(const LoopDevice&) = delete;
    bool attached() const { return !node_.empty(); }
    std::string identifier() const { return node_.substr(node_.rfind('/') + 1); }
    const std::string& node() const { return node_; }

private:
    std::string node_;
};

// An ext4 file system of the given size mounted at dir/name; unmounted at the end.
class MountedExt4 {
public:
    MountedExt4(const TempFolder& dir, const std::string& name, const std::string& size,
                const std::string& mkfs_options = "")
        : image_(dir / (name + ".img")), mount_point_(dir / name), device_(make(image_, size, mkfs_options)) {
        std::filesystem::create_directories(mount_point_);
        if (skip_reason_.empty() && !device_.attached())
            skip_reason_ = "loop devices are not available here (needs root and the loop driver)";
        if (skip_reason_.empty() && run("mount " + quote(device_.node()) + " " + quote(mount_point_)).status != 0)
            skip_reason_ = "cannot mount a file system here";
        mounted_ = skip_reason_.empty();
    }
    ~MountedExt4() {
        if (mounted_) run("umount " + quote(mount_point_));
    }
    // Empty when the file system is mounted and ready.
    const std::string& skip_reason() const { return skip_reason_; }
    const std::string& mount_point() const { return mount_point_; }
    const LoopDevice& device() const { return device_; }

private:
    std::string make(const std::string& image, const std::string& size, const std::string& options) {
        if (run(kTools + "mkfs.ext4 -q -F -m 0 " + options + " " + quote(image) + " " + size).status != 0)
            skip_reason_ = "mkfs.ext4 is not available";
        return image;
    }

    std::string skip_reason_;
    std::string image_, mount_point_;
    LoopDevice device_;
    bool mounted_ = false;
};

}  // namespace salvex::test
