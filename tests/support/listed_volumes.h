#pragma once
// A device list that finds exactly the given volumes, in order.
#include <cstdint>
#include <string>
#include <vector>

#include "devices/volume_source.h"

namespace salvex::test {

class ListedVolumes : public VolumeSource {
public:
    explicit ListedVolumes(std::vector<VolumeInfo> volumes) : volumes_(std::move(volumes)) {}
    std::vector<std::string> mounted_paths(bool) override {
        std::vector<std::string> paths;
        for (std::size_t i = 0; i < volumes_.size(); ++i) paths.push_back(std::to_string(i));
        return paths;
    }
    std::optional<VolumeInfo> query(const std::string& mount_path) override { return volumes_.at(std::stoul(mount_path)); }

private:
    std::vector<VolumeInfo> volumes_;
};

// A FAT32 card partition of sdz.
inline VolumeInfo volume(const std::string& identifier, std::uint64_t bytes, const std::string& name = "CARD") {
    return {{"DeviceIdentifier", identifier}, {"VolumeName", name}, {"FilesystemUserVisibleName", "MS-DOS (FAT32)"},
            {"ParentWholeDisk", "sdz"},       {"IOKitSize", std::to_string(bytes)}};
}

}  // namespace salvex::test
