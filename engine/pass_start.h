#pragma once
// What both engines have once a pass has started: the open source, the range and
// the folder the pass writes into.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/header_match.h"
#include "engine/sector_stream.h"

namespace salvex {

class OutputTree;

struct PassStart {
    std::FILE* device = nullptr;
    std::string source_path;
    std::uint64_t first = 0, end = 0;
    std::string destination, mode_name;        // the result folder is <destination>/<edition's>/<mode_name>
    std::filesystem::path pass_folder;
    std::string pass_folder_name;              // as the report names it
    std::shared_ptr<OutputTree> tree;          // the pass folder, opened safely
    bool exact = false;                        // finishing step on
    bool thorough = false;                     // the thorough pass follows the general one
    // Where the general finds of the search start, in increasing order: the
    // thorough pass keeps only what the general one did not find.
    std::shared_ptr<std::vector<std::uint64_t>> general_starts;
};

// "Sectors 2500 of 3000   ( Completed 50% )"
std::string sector_label(std::uint64_t index, std::uint64_t end, std::uint64_t start, std::uint64_t total);

}  // namespace salvex
