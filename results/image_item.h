#pragma once
// One item of the thumbnail browser or the file list. The type icon of a
// non-photo item is the window's business: it derives it from the path.
#include <cstdint>
#include <string>
#include <vector>

struct MyImageObject {
    std::vector<std::uint8_t> imageData;  // the no-preview picture when the file does not decode
    std::string path;
    std::string image_Name;
    std::string image_UID;
    std::uint64_t File_Start_Sector = 0;
    std::uint64_t File_End_Sector = 0;
};
