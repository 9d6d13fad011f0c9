#pragma once
#include <cstdint>
#include <string>

// "512.00 bytes ", "1.50  KB ", "16.00  GB ": single precision, as the list
// has always shown it, each unit only above 1024 of the one below.
std::string getMPSize(const std::string& bytes_text);

namespace salvex {

// Whole 512-byte sectors in a byte count given as decimal text.
std::string sector_count_text(const std::string& bytes_text);

// Sectors of a disk image: a tail short of a whole sector counts as one more,
// read as a last sector padded with zeros.
std::uint64_t image_sectors(std::uint64_t bytes);

}  // namespace salvex
