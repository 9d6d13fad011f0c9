#include "devices/volume_source.h"

namespace salvex {
namespace platform {
std::unique_ptr<VolumeSource> make_platform_volume_source_impl();
}

std::unique_ptr<VolumeSource> make_platform_volume_source() { return platform::make_platform_volume_source_impl(); }

}  // namespace salvex
