#pragma once
// What both engines have once a pass has started: the open source, the range and
// the folder the pass writes into.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "engine/header_match.h"
#include "engine/sector_stream.h"

struct PassStart {
    std::FILE* device = nullptr;
    std::uint64_t first = 0, end = 0;
    std::filesystem::path pass_folder;
};

namespace salvex {

// "Sectors 2500 of 3000   ( Completed 50% )"
std::string sector_label(std::uint64_t index, std::uint64_t end, std::uint64_t start, std::uint64_t total);

// The sector in hand and the picture of a blank one. A failed read moves the
// stream back to the sector just tried; when even that fails, whatever the buffer
// still holds becomes the new picture of blank.
struct SectorReader {
    std::array<std::uint8_t, kSectorSize> sector{};
    std::array<std::uint8_t, kSectorSize> reference{};
    std::size_t last_read = 0;

    // Reads the next sector; true when it is blank.
    bool read(std::FILE* device, std::uint64_t index) {
        last_read = read_sector(device, sector.data());
        if (last_read == 0 && !seek_sector(device, index)) reference = sector;
        return std::memcmp(sector.data(), reference.data(), kSectorSize) == 0;
    }
};

}  // namespace salvex
