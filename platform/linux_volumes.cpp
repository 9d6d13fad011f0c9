#include "platform/linux_volumes.h"

#include <blkid/blkid.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace salvex::platform {

namespace fs = std::filesystem;

namespace {

// mountinfo writes blanks, tabs, line feeds and backslashes as octal escapes (\040).
std::string unescape_octal(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const bool escape = field[i] == '\\' && i + 3 < field.size() &&
                            field.find_first_not_of("01234567", i + 1) >= i + 4;
        if (escape) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
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
        if (name.compare(i, 2, "\\x") == 0 && i + 3 < name.size() && std::isxdigit(static_cast<unsigned char>(name[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(name[i + 3]))) {
            out += static_cast<char>(std::stoi(name.substr(i + 2, 2), nullptr, 16));
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
        if (std::sscanf(f[2].c_str(), "%u:%u", &e.major, &e.minor) != 2) continue;
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
        if (!sectors.empty()) info["IOKitSize"] = std::to_string(std::stoull(sectors) * 512);
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
