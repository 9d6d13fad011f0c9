#include "app/bundle_info.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/paths.h"
#include "platform/plist.h"

namespace salvex {

namespace fs = std::filesystem;

BundleInfo bundle_at(const std::string& bundle_path) {
    BundleInfo info;
    info.bundle_path = bundle_path;
    info.resource_path = (fs::path(bundle_path) / "Contents" / "Resources").string();
    std::ifstream in(fs::path(bundle_path) / "Contents" / "Info.plist", std::ios::binary);
    if (!in) return info;
    std::ostringstream text;
    text << in.rdbuf();
    if (const auto plist = parse_plist(text.str())) {
        if (auto name = plist_string(*plist, "CFBundleName")) info.name = std::move(*name);
        if (auto id = plist_string(*plist, "CFBundleIdentifier")) info.identifier = std::move(*id);
    }
    return info;
}

BundleInfo bundle_of_executable(const std::string& executable_path) {
    const fs::path macos = fs::path(executable_path).parent_path();
    const fs::path contents = macos.parent_path();
    if (macos.filename() != "MacOS" || contents.filename() != "Contents") return {};
    return bundle_at(contents.parent_path().string());
}

BundleInfo bundle_of_running_executable() { return bundle_of_executable(platform::executable_path()); }

}  // namespace salvex
