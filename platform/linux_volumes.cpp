#include "platform/linux_volumes.h"

#include <blkid/blkid.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "app/numbers.h"

namespace salvex::platform {

namespace fs = std::filesystem;

namespace {

// mountinfo writes blanks, tabs, line feeds and backslashes as octal escapes (\040).
std::string unescape_octal(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto code = field[i] == '\\' && i + 3 < field.size()
                              ? parse_digits(std::string_view(field).substr(i + 1, 3), 8)
                              : std::nullopt;
        if (code) {
            out += static_cast<char>(*code);
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

// udev names its by-label links with hex escapes (\x20).
std::string unescape_hex(const std::string& name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto code = name.compare(i, 2, "\\x") == 0 && i + 3 < name.size()
                              ? parse_digits(std::string_view(name).substr(i + 2, 2), 16)
                              : std::nullopt;
        if (code) {
            out += static_cast<char>(*code);
            i += 3;
        } else {
            out += name[i];
        }
    }
    return out;
}

std::string read_first_line(const fs::path& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

bool on_hot_plug_bus(const std::string& sys_path) {
    for (const char* bus : {"/usb", "/mmc_host/", "/firewire/", "/memstick"})
        if (sys_path.find(bus) != std::string::npos) return true;
    return false;
}

struct Probe {
    bool read = false;
    std::string label, type, version;
};

Probe probe_volume(const std::string& device) {
    Probe p;
    blkid_probe pr = blkid_new_probe_from_filename(device.c_str());
    if (pr == nullptr) return p;
    blkid_probe_enable_superblocks(pr, 1);
    blkid_probe_set_superblocks_flags(pr, BLKID_SUBLKS_LABEL | BLKID_SUBLKS_TYPE | BLKID_SUBLKS_VERSION);
    if (blkid_do_safeprobe(pr) == 0) {
        p.read = true;
        const char* value = nullptr;
        if (blkid_probe_lookup_value(pr, "LABEL", &value, nullptr) == 0) p.label = value;
        if (blkid_probe_lookup_value(pr, "TYPE", &value, nullptr) == 0) p.type = value;
        if (blkid_probe_lookup_value(pr, "VERSION", &value, nullptr) == 0) p.version = value;
    }
    blkid_free_probe(pr);
    return p;
}

// Without the rights to read the volume, udev's by-label links still name it.
std::optional<std::string> label_from_links(const std::string& root, const std::string& device) {
    std::error_code ec;
    for (const auto& link : fs::directory_iterator(root + "/dev/disk/by-label", ec)) {
        std::error_code resolve;
        if (fs::canonical(link.path(), resolve) == fs::path(root + device))
            return unescape_hex(link.path().filename().string());
    }
    return std::nullopt;
}

}  // namespace

std::vector<MountEntry> parse_mountinfo(const std::string& text) {
    std::vector<MountEntry> entries;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        std::vector<std::string> f;
        for (std::string field; in >> field;) f.push_back(field);
        std::size_t dash = 6;
        while (dash < f.size() && f[dash] != "-") ++dash;
        if (f.size() < 7 || dash + 2 >= f.size()) continue;
        MountEntry e;
        // "major:minor", read the way scanf's "%u:%u" reads it.
        const auto major = leading_number(f[2]);
        if (!major.found || major.end >= f[2].size() || f[2][major.end] != ':') continue;
        const auto minor = leading_number(std::string_view(f[2]).substr(major.end + 1));
        if (!minor.found) continue;
        e.major = static_cast<unsigned>(major.as_unsigned());
        e.minor = static_cast<unsigned>(minor.as_unsigned());
        e.mount_point = unescape_octal(f[4]);
        e.fs_type = f[dash + 1];
        e.source = unescape_octal(f[dash + 2]);
        entries.push_back(std::move(e));
    }
    return entries;
}

std::string readable_file_system(const std::string& type, const std::string& version) {
    if (type == "vfat") return version.empty() ? "MS-DOS (FAT)" : "MS-DOS (" + version + ")";
    if (type == "exfat") return "ExFAT";
    if (type == "ntfs" || type == "ntfs3") return "NTFS";
    if (type == "hfsplus") return "Mac OS Extended";
    if (type == "apfs") return "APFS";
    if (type == "iso9660") return "ISO 9660";
    if (type == "udf") return "UDF";
    if (type == "btrfs") return "Btrfs";
    if (type == "xfs") return "XFS";
    if (type == "f2fs") return "F2FS";
    return type;
}

std::vector<LinuxVolumeSource::Volume> LinuxVolumeSource::volumes() {
    std::ifstream in(root_ + "/proc/self/mountinfo");
    std::stringstream text;
    text << in.rdbuf();
    std::vector<Volume> found;
    std::set<std::pair<unsigned, unsigned>> seen;
    for (auto& m : parse_mountinfo(text.str())) {
        // A volume mounted in several places is one volume.
        if (!seen.insert({m.major, m.minor}).second) continue;
        std::error_code ec;
        const fs::path link = root_ + "/sys/dev/block/" + std::to_string(m.major) + ":" + std::to_string(m.minor);
        const fs::path sys = fs::canonical(link, ec);
        if (ec) continue;  // not a block device: proc, tmpfs, overlay, network file systems
        Volume v;
        v.mount = std::move(m);
        v.sys_path = sys.string();
        v.name = sys.filename().string();
        const bool partition = fs::exists(sys / "partition", ec);
        const fs::path disk = partition ? sys.parent_path() : sys;
        v.parent = disk.filename().string();
        // Card readers and USB sticks often report removable 0 but sit on a hot-plug bus.
        v.removable = read_first_line(disk / "removable") == "1" || on_hot_plug_bus(v.sys_path);
        found.push_back(std::move(v));
    }
    return found;
}

std::vector<std::string> LinuxVolumeSource::mounted_paths(bool all_local) {
    std::vector<std::string> paths;
    for (const auto& v : volumes())
        if (all_local || v.removable) paths.push_back(v.mount.mount_point);
    return paths;
}

std::optional<VolumeInfo> LinuxVolumeSource::query(const std::string& mount_path) {
    for (const auto& v : volumes()) {
        if (v.mount.mount_point != mount_path) continue;
        VolumeInfo info;
        info["DeviceIdentifier"] = v.name;
        info["ParentWholeDisk"] = v.parent;
        const std::string sectors = read_first_line(fs::path(v.sys_path) / "size");
        if (const auto count = leading_number(sectors); count.found)
            info["IOKitSize"] = std::to_string(count.as_unsigned() * 512);
        if (v.name.starts_with("loop")) info["BusProtocol"] = "Disk Image";
        else if (v.sys_path.find("/usb") != std::string::npos) info["BusProtocol"] = "USB";
        else if (v.sys_path.find("/mmc_host/") != std::string::npos) info["BusProtocol"] = "Secure Digital";
        if (v.name.starts_with("sr")) info["OpticalDeviceType"] = "CD-ROM";

        const Probe probe = probe_volume(v.mount.source);
        if (probe.read) {
            info["VolumeName"] = probe.label;
        } else if (auto label = label_from_links(root_, v.mount.source)) {
            info["VolumeName"] = *label;
        }
        info["FilesystemUserVisibleName"] =
            readable_file_system(probe.type.empty() ? v.mount.fs_type : probe.type, probe.version);
        return info;
    }
    return std::nullopt;
}

#if !defined(__APPLE__)
std::unique_ptr<VolumeSource> make_platform_volume_source_impl() { return std::make_unique<LinuxVolumeSource>(); }
#endif

}  // namespace salvex::platform
