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

bool same_file(const fs::path& path, const struct stat& file) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && st.st_dev == file.st_dev && st.st_ino == file.st_ino;
}

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

// The file a loop device (or a partition of one) reads and writes; empty for other devices.
std::string loop_backing_file(dev_t device) {
    std::error_code ec;
    fs::path node = fs::canonical("/sys/dev/block/" + device_number(device), ec);
    if (ec) return {};
    if (!fs::exists(node / "loop", ec) && fs::exists(node / "partition", ec)) node = node.parent_path();
    std::ifstream in(node / "loop/backing_file");
    std::string path;
    std::getline(in, path);
    return path;
}

// The loop devices this file backs, by device number.
std::set<std::string> loops_backed_by(const struct stat& file) {
    std::set<std::string> loops;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/sys/block", ec)) {
        if (!entry.path().filename().string().starts_with("loop")) continue;
        std::ifstream backing(entry.path() / "loop/backing_file"), dev(entry.path() / "dev");
        std::string path, number;
        if (std::getline(backing, path) && same_file(path, file) && dev >> number) loops.insert(number);
    }
    return loops;
}

}  // namespace

bool writes_onto_device(const std::string& folder, const std::string& source_path) {
    struct stat source {};
    if (::stat(source_path.c_str(), &source) != 0) return false;
    std::set<std::string> holding_source;
    if (S_ISBLK(source.st_mode)) holding_source.insert(device_number(source.st_rdev));
    else if (S_ISREG(source.st_mode)) holding_source = loops_backed_by(source);
    if (holding_source.empty()) return false;

    std::error_code ec;
    fs::path existing = fs::absolute(folder, ec);
    while (!existing.empty() && !fs::exists(existing, ec) && existing != existing.root_path())
        existing = existing.parent_path();
    struct stat target {};
    if (::stat(existing.c_str(), &target) != 0) return false;

    std::set<std::string> underlying;
    const fs::path node = fs::canonical("/sys/dev/block/" + device_number(target.st_dev), ec);
    if (!ec) collect_underlying(node, underlying, 0);
    underlying.insert(device_number(target.st_dev));
    for (const auto& number : underlying)
        if (holding_source.count(number) > 0) return true;
    return false;
}

bool result_folder_holds_source(const std::string& result_folder, const std::string& source_path) {
    struct stat source {};
    if (::stat(source_path.c_str(), &source) != 0) return false;
    // A loop device writes through to its file.
    if (S_ISBLK(source.st_mode)) {
        const std::string backing = loop_backing_file(source.st_rdev);
        if (backing.empty() || ::stat(backing.c_str(), &source) != 0) return false;
    }
    if (!S_ISREG(source.st_mode)) return false;

    std::error_code ec;
    const fs::path folder = fs::absolute(result_folder, ec).lexically_normal();
    for (fs::path p = folder; !p.empty(); p = p.parent_path()) {
        if (same_file(p, source)) return true;
        if (p == p.root_path()) break;
    }
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        if (same_file(it->path(), source)) return true;
    return false;
}

}  // namespace salvex::platform
