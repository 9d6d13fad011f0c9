// 7z: the signature header names the next (end) header by offset and size, so
// the file ends with it. Both CRCs are checked: the start header's, and the end
// header's, which proves the end really lies there.
#include <string_view>

#include "engine/finish/documents_common.h"
#include "engine/finish/units.h"

namespace salvex::finish {

Verdict check_7z(ByteSource& run, std::string_view type) {
    if (type != "7z") return rejected();
    if (!bytes_are(run, 0, "7z\xBC\xAF\x27\x1C")) return rejected();
    std::uint8_t h[32];
    if (!run.read_exact(0, h, sizeof h)) return unknown();
    std::uint32_t start_crc, next_crc;
    std::uint64_t offset, size;
    if (!u32le(run, 8, start_crc) || !u64le(run, 12, offset) || !u64le(run, 20, size) || !u32le(run, 28, next_crc))
        return unknown();
    if (h[6] != 0 || documents::crc32(0, h + 12, 20) != start_crc) return confirmed(0);
    if (offset > run.size() || size > run.size() || 32 + offset + size > run.size()) return confirmed(0);
    const std::uint64_t end = 32 + offset + size;
    if (size == 0) return confirmed(offset == 0 ? end : 0);
    std::uint8_t first;
    std::uint32_t crc;
    // The end header is a plain (0x01) or packed (0x17) header.
    if (!u8(run, 32 + offset, first) || (first != 0x01 && first != 0x17)) return confirmed(0);
    if (!documents::crc32_of(run, 32 + offset, size, crc) || crc != next_crc) return confirmed(0);
    return confirmed(end);
}

}  // namespace salvex::finish
