#pragma once
// One volume of the device list, as its six columns show it.
#include <string>

struct MyDataObject {
    std::string nsStrDiskIdentifier;  // "Collumn1", e.g. sdb1
    std::string nsStrVolName;         // "Collumn2"; "Untitled" for an empty label
    std::string nsStrFileSystem;      // "Collumn3"
    std::string nsStrSize;            // "Collumn4", formatted for people
    std::string nsStrParentDisk;      // "Collumn5", e.g. sdb
    std::string nsStrSectors;         // "Collumn6", whole 512-byte sectors

    // The text under a column identifier; any other identifier gives an empty cell.
    std::string column(const std::string& identifier) const;
};
