#pragma once
// Where the device list learns about mounted volumes: the platform answers with
// the same seven keys everywhere.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace salvex {

// Keys: "DeviceIdentifier", "VolumeName", "FilesystemUserVisibleName",
// "ParentWholeDisk", "IOKitSize", "BusProtocol", "OpticalDeviceType". A key that
// the system does not report is absent.
using VolumeInfo = std::map<std::string, std::string>;

class VolumeSource {
public:
    virtual ~VolumeSource() = default;
    // Mount paths of removable volumes, or of every local volume, in the system's order.
    virtual std::vector<std::string> mounted_paths(bool all_local) = 0;
    // Nothing when the volume cannot be queried.
    virtual std::optional<VolumeInfo> query(const std::string& mount_path) = 0;
};

// The running system's source.
std::unique_ptr<VolumeSource> make_platform_volume_source();

}  // namespace salvex
