#include "wizard/qt/disk_image.h"

#include <filesystem>

#include "devices/size_format.h"
#include "platform/raw_device.h"

namespace salvex::gui {

std::optional<MyDataObject> disk_image_record(const std::string& given_path) {
    std::error_code ec;
    const std::string path = std::filesystem::absolute(given_path, ec).lexically_normal().string();
    if (ec) return std::nullopt;
    const auto bytes = platform::source_size_bytes(path);
    if (!bytes) return std::nullopt;
    const std::string size = std::to_string(*bytes);
    // The full path is the identifier: the engines read an absolute path as it is.
    return MyDataObject{path, std::filesystem::path(path).filename().string(), "Disk Image", getMPSize(size), "",
                        sector_count_text(size)};
}

}  // namespace salvex::gui
