#pragma once
// Shared by the container units: four-character codes and the walk of
// IFF-style chunks (RIFF little-endian, RIFX and AIFF big-endian).
#include <cstdint>
#include <cstring>

#include "engine/finish/unit.h"

namespace salvex::finish::containers {

inline bool printable4(const void* code) {
    const auto* c = static_cast<const std::uint8_t*>(code);
    for (int i = 0; i < 4; ++i)
        if (c[i] < 0x20 || c[i] > 0x7E) return false;
    return true;
}

inline std::uint32_t be32(const std::uint8_t* b) {
    return std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
}
inline std::uint32_t le32(const std::uint8_t* b) {
    return std::uint32_t{b[3]} << 24 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[1]} << 8 | b[0];
}

// Whether the chunks from begin tile [begin, end) exactly: each an id, a 32-bit
// size and its data padded to even length (the last may leave its pad out).
// wide_data stands in for a "data" chunk whose size reads 0xFFFFFFFF (RF64).
inline bool chunks_tile(ByteSource& s, std::uint64_t begin, std::uint64_t end, bool big_endian,
                        std::uint64_t wide_data = 0) {
    constexpr int kMaxChunks = 100000;
    std::uint64_t pos = begin;
    for (int count = 0; pos < end; ++count) {
        std::uint8_t h[8];
        if (count == kMaxChunks || end - pos < 8 || !s.read_exact(pos, h, 8)) return false;
        std::uint64_t n = big_endian ? be32(h + 4) : le32(h + 4);
        if (n == 0xFFFFFFFFu && wide_data != 0 && std::memcmp(h, "data", 4) == 0) n = wide_data;
        if (n > end - pos - 8) return false;
        pos += 8 + n;
        if (pos == end) return true;
        pos += n & 1;
    }
    return pos == end && pos > begin;
}

}  // namespace salvex::finish::containers
