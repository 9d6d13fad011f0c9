// PNG: signature, an IHDR whose CRC holds, then chunks by their lengths to IEND.
#include <cstring>

#include "engine/finish/pictures_common.h"
#include "engine/finish/units.h"

namespace salvex::finish {
namespace {

constexpr std::uint32_t kMaxChunks = 1u << 24;

std::uint32_t crc32(const std::uint8_t* data, std::size_t n) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) {
        c ^= data[i];
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return c ^ 0xFFFFFFFFu;
}

bool letters(const std::uint8_t* t) {
    for (int i = 0; i < 4; ++i)
        if (!((t[i] >= 'A' && t[i] <= 'Z') || (t[i] >= 'a' && t[i] <= 'z'))) return false;
    return true;
}

using pictures::be32;

}  // namespace

Verdict check_png(ByteSource& run, std::string_view type) {
    if (type != "png") return rejected();
    if (!bytes_are(run, 0, "\x89PNG\r\n\x1a\n")) return rejected();
    std::uint8_t ihdr[25];  // length, type, 13 bytes of data, CRC
    if (!run.read_exact(8, ihdr, sizeof ihdr)) return unknown();
    if (be32(ihdr) != 13 || std::memcmp(ihdr + 4, "IHDR", 4) != 0 || crc32(ihdr + 4, 17) != be32(ihdr + 21))
        return unknown();

    pictures::Window w(run);
    std::uint64_t pos = 33;
    bool data = false;
    for (std::uint32_t chunks = 0; chunks < kMaxChunks; ++chunks) {
        const std::uint8_t* h = w.at(pos, 8);
        if (h == nullptr) return confirmed(0);
        const std::uint32_t length = be32(h);
        if (length > 0x7FFFFFFFu || !letters(h + 4)) return confirmed(0);
        const std::uint64_t next = pos + 12 + length;
        if (std::memcmp(h + 4, "IDAT", 4) == 0) data = true;
        if (std::memcmp(h + 4, "IEND", 4) == 0)
            return data && length == 0 ? pictures::ended_at(next, w.size()) : confirmed(0);
        pos = next;
    }
    return confirmed(0);
}

}  // namespace salvex::finish
