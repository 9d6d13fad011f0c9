#include "devices/my_data_object.h"

std::string MyDataObject::column(const std::string& identifier) const {
    if (identifier == "Collumn1") return nsStrDiskIdentifier;
    if (identifier == "Collumn2") return nsStrVolName;
    if (identifier == "Collumn3") return nsStrFileSystem;
    if (identifier == "Collumn4") return nsStrSize;
    if (identifier == "Collumn5") return nsStrParentDisk;
    if (identifier == "Collumn6") return nsStrSectors;
    return {};
}
