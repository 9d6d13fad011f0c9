#pragma once
// One output file of an open group in the video, raw-file and audio engine.
#include <string>
#include <vector>

struct OpenFile {
    std::string extension;
    std::string max_size;  // Max_File_Size as the signature file wrote it
    std::string header;
    int slot = -1;         // which of the pass's output streams holds it
    std::string path, name, uid;
};
using OpenFileList = std::vector<OpenFile>;
