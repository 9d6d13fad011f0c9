#pragma once
#include <cstdint>
#include <string>

#include "signatures/signature_list.h"

namespace salvex {

// What a search was asked for, taken on the interface thread when it starts and
// handed to the scan thread, which never reads a control (they stay disabled
// while it runs anyway).
struct ScanParameters {
    std::string device_identifier{};
    std::uint64_t device_sectors = 0;
    bool entire_disk = false;
    bool sector_range = false;
    std::string start_text{}, end_text{};
    std::string destination{};
    bool thorough = false;
    // Each file cut at its own end and checked for its type; off, files are runs of whole sectors.
    bool exact_files = false;

    // Filled by start_scan from the controller: the mode and what its passes look
    // for (photo mode's lists, or the check list's ticked types).
    std::int32_t mode = 0;
    SignatureList general_list{}, thorough_list{};
};

}  // namespace salvex
