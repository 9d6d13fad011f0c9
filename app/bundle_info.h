#pragma once
// The application bundle that holds an executable:
//   <Name>.app/Contents/MacOS/<Name>, Contents/Info.plist, Contents/Resources/
// Its CFBundleName picks the edition; its Resources folder holds the signature files.
#include <string>

namespace salvex {

struct BundleInfo {
    std::string bundle_path;    // ".../Salvex Birch Recovery.app", empty outside a bundle
    std::string name;           // CFBundleName; empty without a readable Info.plist
    std::string resource_path;  // ".../Contents/Resources", empty outside a bundle
    std::string identifier;     // CFBundleIdentifier
};

BundleInfo bundle_at(const std::string& bundle_path);
// The bundle of an executable at <bundle>/Contents/MacOS/<file>; an executable
// anywhere else belongs to no bundle and gets the empty BundleInfo.
BundleInfo bundle_of_executable(const std::string& executable_path);
BundleInfo bundle_of_running_executable();

}  // namespace salvex
