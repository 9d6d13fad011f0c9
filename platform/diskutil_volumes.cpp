#include "platform/diskutil_volumes.h"

#include "platform/plist.h"
#include "platform/shell_runner.h"

#if defined(__APPLE__)
#include <sys/mount.h>
#endif

namespace salvex::platform {

std::optional<VolumeInfo> volume_info_from_diskutil_plist(const std::string& text) {
    const auto root = parse_plist(text);
    if (!root || root->as_dict() == nullptr) return std::nullopt;
    VolumeInfo info;
    for (const char* key : {"DeviceIdentifier", "VolumeName", "FilesystemUserVisibleName", "ParentWholeDisk",
                            "BusProtocol", "OpticalDeviceType"}) {
        if (auto value = plist_string(*root, key)) info[key] = std::move(*value);
    }
    const auto& dict = *root->as_dict();
    if (const auto it = dict.find("IOKitSize"); it != dict.end() && it->second.as_integer() != nullptr)
        info["IOKitSize"] = std::to_string(static_cast<std::uint64_t>(*it->second.as_integer()));
    return info;
}

#if defined(__APPLE__)
namespace {

class DiskutilVolumeSource : public VolumeSource {
public:
    std::vector<std::string> mounted_paths(bool all_local) override {
        std::vector<std::string> paths;
        struct statfs* mounts = nullptr;
        const int n = ::getmntinfo(&mounts, MNT_NOWAIT);
        for (int i = 0; i < n; ++i) {
            if (!(mounts[i].f_flags & MNT_LOCAL)) continue;
            const std::string path = mounts[i].f_mntonname;
            if (!all_local) {
                const auto plist = parse_plist(describe(path));
                const auto* dict = plist ? plist->as_dict() : nullptr;
                const auto flag = [&](const char* key) {
                    const auto it = dict ? dict->find(key) : PlistDict::const_iterator();
                    return dict && it != dict->end() && it->second.as_bool() && *it->second.as_bool();
                };
                if (!flag("Removable") && !flag("RemovableMedia") && !flag("Ejectable")) continue;
            }
            paths.push_back(path);
        }
        return paths;
    }
    std::optional<VolumeInfo> query(const std::string& mount_path) override {
        return volume_info_from_diskutil_plist(describe(mount_path));
    }

private:
    static std::string describe(const std::string& mount_path) {
        return run_and_collect_output({{"/usr/sbin/diskutil", "info", "-plist", mount_path}});
    }
};

}  // namespace

std::unique_ptr<VolumeSource> make_platform_volume_source_impl() { return std::make_unique<DiskutilVolumeSource>(); }
#endif

}  // namespace salvex::platform
