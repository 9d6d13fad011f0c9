#pragma once
// Reading a device or image one 512-byte sector at a time through a stdio stream
// with a large buffer, so that the system is asked for megabytes at a time.
#include <cstdint>
#include <cstdio>
#include <string>

namespace salvex {

inline constexpr std::size_t kDeviceBufferSize = 4u << 20;
inline constexpr std::size_t kOutputBufferSize = 1u << 20;

// Opens read-only; never anything else. The buffer must outlive the stream.
std::FILE* open_sector_stream(const std::string& path, char* buffer, std::size_t size);
// Items read: 1, or 0 when the sector could not be read.
std::size_t read_sector(std::FILE* stream, std::uint8_t* sector);
bool seek_sector(std::FILE* stream, std::uint64_t sector);

// Appends one sector to an output file; false when nothing was stored.
bool write_sector(std::FILE* output, const std::uint8_t* sector);
// Closes an output file after starting its way to the disk, so that the end of a
// scan does not wait for every file at once; false when the disk refused the rest.
bool close_output(std::FILE* output);

}  // namespace salvex
