#include "platform/same_device.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <fstream>
#include <set>

namespace salvex::platform {

namespace fs = std::filesystem;

namespace {

std::string device_number(dev_t d) { return std::to_string(major(d)) + ":" + std::to_string(minor(d)); }

// The block devices under the one with this number: a partition's whole disk,
// a mapping's members and theirs, as sysfs lists them.
void collect_underlying(const fs::path& sysfs_node, std::set<std::string>& found, int depth) {
    std::error_code ec;
    if (depth > 8) return;  // sysfs has no cycles; this only bounds a damaged tree
    std::ifstream dev(sysfs_node / "dev");
    std::string number;
    if (!(dev >> number) || !found.insert(number).second) return;
    if (fs::exists(sysfs_node / "partition", ec)) collect_underlying(sysfs_node.parent_path(), found, depth + 1);
    for (const auto& slave : fs::directory_iterator(sysfs_node / "slaves", ec))
        collect_underlying(fs::canonical(slave.path(), ec), found, depth + 1);
}

}  // namespace

bool writes_onto_device(const std::string& folder, const std::string& device_path) {
    struct stat source {};
    if (::stat(device_path.c_str(), &source) != 0 || !S_ISBLK(source.st_mode)) return false;

    std::error_code ec;
    fs::path existing = fs::absolute(folder, ec);
    while (!existing.empty() && !fs::exists(existing, ec) && existing != existing.root_path())
        existing = existing.parent_path();
    struct stat target {};
    if (::stat(existing.c_str(), &target) != 0) return false;
    if (target.st_dev == source.st_rdev) return true;

    std::set<std::string> underlying;
    const fs::path node = fs::canonical("/sys/dev/block/" + device_number(target.st_dev), ec);
    if (!ec) collect_underlying(node, underlying, 0);
    return underlying.count(device_number(source.st_rdev)) > 0;
}

}  // namespace salvex::platform
