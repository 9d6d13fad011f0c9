// MRW: the MRM block (PRD, TTW, WBG, RIF, PAD blocks by their lengths) is
// followed by the raw data, whose size the PRD block's sensor dimensions and
// stored bits per pixel give.
#include "engine/finish/pictures_common.h"
#include "engine/finish/units.h"

namespace salvex::finish {

Verdict check_mrw(ByteSource& run, std::string_view type) {
    if (type != "mrw") return rejected();
    if (!bytes_are(run, 0, std::string_view("\0MRM", 4))) return rejected();
    pictures::Window w(run);
    std::uint32_t length = 0;
    if (!w.u32(4, false, length) || length < 8) return unknown();
    const std::uint64_t data = 8 + std::uint64_t{length};
    std::uint64_t raw = 0;
    std::uint64_t pos = 8;
    for (int blocks = 0; pos < data; ++blocks) {
        const std::uint8_t* b = w.at(pos, 8);
        if (blocks == 64 || b == nullptr || b[0] != 0) return blocks == 0 ? unknown() : confirmed(0);
        const std::uint64_t size = pictures::be32(b + 4);
        if (b[1] == 'P' && b[2] == 'R' && b[3] == 'D') {
            const std::uint8_t* prd = w.at(pos + 8, 19);  // version, sensor height and width, image size, bits
            if (prd == nullptr || size < 19) return confirmed(0);
            const std::uint64_t height = std::uint64_t{prd[8]} << 8 | prd[9];
            const std::uint64_t width = std::uint64_t{prd[10]} << 8 | prd[11];
            const std::uint8_t bits = prd[16];
            if (height == 0 || width == 0 || (bits != 12 && bits != 16)) return confirmed(0);
            raw = width * height * bits / 8;
        }
        pos += 8 + size;
    }
    if (pos != data || raw == 0) return confirmed(0);
    return pictures::ended_at(data + raw, w.size());
}

}  // namespace salvex::finish
