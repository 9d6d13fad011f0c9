#pragma once
// The benchmark's files: the cached card images it makes once, and the output
// folders it empties and lays out between timed runs.
#include <cstdint>
#include <filesystem>

namespace salvex::bench {

// Made once and kept: later runs reuse the image already in the page cache.
// Random bytes, or zeros, from a fixed seed: every run scans the same bytes.
bool ensure_pattern_image(const std::filesystem::path& path, std::uint64_t bytes, bool random);
// Reads the whole file so that the timed runs find it in the page cache.
void read_through(const std::filesystem::path& path);
// Removes a folder and writes the deletion back before the next timing.
void remove_and_flush(const std::filesystem::path& path);
// Keeps each run's output away from what the last run freed (ext4).
void spread_subfolders(const std::filesystem::path& folder);

}  // namespace salvex::bench
