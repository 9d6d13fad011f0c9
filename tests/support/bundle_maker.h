#pragma once
// Builds a throwaway application bundle: Info.plist with a name and the given
// signature files in its Resources folder.
#include <map>
#include <string>

#include "support/temp_folder.h"

namespace salvex::test {

inline std::string info_plist(const std::string& bundle_name) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
           "\t<key>CFBundleName</key>\n\t<string>" + bundle_name + "</string>\n</dict>\n</plist>\n";
}

inline std::string make_bundle(const TempFolder& root, const std::string& bundle_name,
                               const std::map<std::string, std::string>& resources = {}) {
    const std::string bundle = bundle_name + ".app";
    root.write(bundle + "/Contents/Info.plist", info_plist(bundle_name));
    for (const auto& [file, content] : resources) root.write(bundle + "/Contents/Resources/" + file, content);
    return root / bundle;
}

}  // namespace salvex::test
