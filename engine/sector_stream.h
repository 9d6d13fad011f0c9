#pragma once
// Opening the source read-only and writing carved files through large buffers.
#include <cstdint>
#include <cstdio>
#include <string>

namespace salvex {

inline constexpr std::size_t kDeviceBufferSize = 4u << 20;
inline constexpr std::size_t kOutputBufferSize = 1u << 20;

// Opens read-only; never anything else. The buffer must outlive the stream.
std::FILE* open_sector_stream(const std::string& path, char* buffer, std::size_t size);

// Appends one sector to an output file; false when nothing was stored.
bool write_sector(std::FILE* output, const std::uint8_t* sector);
// Closes an output file after starting its way to the disk, so that the end of a
// scan does not wait for every file at once; false when the disk refused the rest.
bool close_output(std::FILE* output);

}  // namespace salvex
