#pragma once
// The files a pass writes: any carved file, and one output file of an open group
// in the video, raw-file and audio engine.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/finish/unit.h"
#include "engine/output_naming.h"

namespace salvex {

struct PassFile {
    std::string extension, type_folder;
    std::uint64_t start_sector = 0;
    std::uint64_t count = 0;        // the pass's file count with this file
    FolderCounter counter_before;   // the type's counter before this file was counted
    std::string name, uid, path;    // as the user sees it; held back, where it waits
    std::size_t held = 0;           // its place among a held-back pass's files
};

struct OpenFile : PassFile {
    std::string max_size;  // Max_File_Size as the signature file wrote it
    std::string header;
    int slot = -1;         // which of the pass's output streams holds it
    // What the finishing step said, for the group's settling once it is closed.
    finish::Verdict verdict;
    bool closed = false;
};
using OpenFileList = std::vector<OpenFile>;

}  // namespace salvex
