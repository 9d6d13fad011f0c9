#pragma once
#include <cstdint>
#include <string>

// The wizard's choices that a pass reads when it starts.
struct ScanParameters {
    std::string device_identifier;
    std::uint64_t device_sectors = 0;
    bool entire_disk = false;
    bool sector_range = false;
    std::string start_text, end_text;
    std::string destination;
    bool thorough = false;
    // Each file cut at its own end and checked for its type; off, files are runs of whole sectors.
    bool exact_files = false;
};
