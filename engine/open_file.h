#pragma once
// One output file of an open group in the video, raw-file and audio engine.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/finish/unit.h"
#include "engine/output_naming.h"

struct OpenFile {
    std::string extension;
    std::string max_size;  // Max_File_Size as the signature file wrote it
    std::string header;
    int slot = -1;         // which of the pass's output streams holds it
    std::string path, name, uid;
    // What the finishing step needs once the group is closed.
    std::string type_folder;
    std::uint64_t start_sector = 0;
    FolderCounter counter_before;
    salvex::finish::Verdict verdict;
    bool closed = false;
};
using OpenFileList = std::vector<OpenFile>;
