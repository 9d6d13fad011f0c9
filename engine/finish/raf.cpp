// RAF: a big-endian header naming the embedded JPEG, the meta container and the
// raw data by offset and length; the file ends with the furthest of them.
#include <cstring>

#include "engine/finish/pictures_common.h"
#include "engine/finish/units.h"

namespace salvex::finish {

Verdict check_raf(ByteSource& run, std::string_view type) {
    if (type != "raf") return rejected();
    pictures::Window w(run);
    const std::uint8_t* h = w.at(0, 0x7C);
    if (h == nullptr || std::memcmp(h, "FUJIFILMCCD-RAW ", 16) != 0) return rejected();
    auto be32 = [&](std::size_t o) { return std::uint64_t{pictures::be32(h + o)}; };
    const std::uint64_t jpeg = be32(0x54);
    if (jpeg < 0x6C) return unknown();
    std::uint64_t end = 0;
    for (std::size_t field = 0x54; field <= 0x64; field += 8) {  // JPEG, meta container, raw data
        const std::uint64_t offset = be32(field), length = be32(field + 4);
        if (offset == 0 && length == 0) continue;
        if (offset < 0x6C || length == 0) return confirmed(0);
        if (offset + length > end) end = offset + length;
    }
    if (end > w.size()) return confirmed(0);
    const std::uint8_t* soi = w.at(jpeg, 3);
    if (soi == nullptr || soi[0] != 0xFF || soi[1] != 0xD8 || soi[2] != 0xFF) return confirmed(0);
    // Headers long enough to hold it name one more block, of no stated length:
    // the end is proved only when that block lies before it.
    if (jpeg >= 0x7C && be32(0x78) >= end) return confirmed(0);
    return confirmed(end);
}

}  // namespace salvex::finish
