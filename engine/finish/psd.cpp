// PSD and PSB: the header, then colour mode data, image resources and layer and
// mask information by their lengths, then the merged image data: raw rows sized
// by the header, or PackBits rows sized by their byte count table.
#include <cstring>

#include "engine/finish/pictures_common.h"
#include "engine/finish/units.h"

namespace salvex::finish {

Verdict check_psd(ByteSource& run, std::string_view type) {
    if (type != "psd" && type != "psb") return rejected();
    pictures::Window w(run);
    const std::uint8_t* h = w.at(0, 26);
    if (h == nullptr || std::memcmp(h, "8BPS", 4) != 0) return rejected();
    const bool large = type == "psb";
    const int version = h[4] << 8 | h[5];
    if (version != (large ? 2 : 1)) return rejected();
    const std::uint64_t channels = std::uint64_t{h[12]} << 8 | h[13];
    const std::uint64_t height = pictures::be32(h + 14), width = pictures::be32(h + 18);
    const int depth = h[22] << 8 | h[23], mode = h[24] << 8 | h[25];
    const std::uint64_t max_side = large ? 300000 : 30000;
    static const std::uint8_t zeros[6] = {};
    if (std::memcmp(h + 6, zeros, 6) != 0 || channels == 0 || channels > 56 || height == 0 || height > max_side ||
        width == 0 || width > max_side || (depth != 1 && depth != 8 && depth != 16 && depth != 32) || mode > 9 ||
        mode == 5 || mode == 6)
        return unknown();

    std::uint64_t pos = 26;
    std::uint32_t length = 0;
    if (!w.u32(pos, false, length)) return confirmed(0);  // colour mode data
    pos += 4 + std::uint64_t{length};
    if (!w.u32(pos, false, length)) return confirmed(0);  // image resources
    if (length >= 4) {
        const std::uint8_t* sig = w.at(pos + 4, 4);
        if (sig == nullptr) return confirmed(0);
        if (std::memcmp(sig, "8BIM", 4) != 0 && std::memcmp(sig, "MeSa", 4) != 0) return confirmed(0);
    }
    pos += 4 + std::uint64_t{length};
    std::uint64_t layers = 0;
    if (large ? !w.u64(pos, false, layers) : !w.u32(pos, false, length)) return confirmed(0);
    pos += large ? 8 + layers : 4 + std::uint64_t{length};
    std::uint16_t compression = 0;
    if (!w.u16(pos, false, compression)) return confirmed(0);
    pos += 2;

    const std::uint64_t rows = channels * height, row_bytes = (width * static_cast<std::uint64_t>(depth) + 7) / 8;
    if (compression == 0) return pictures::ended_at(pos + rows * row_bytes, w.size());
    if (compression != 1) return confirmed(0);  // deflated rows carry no sizes
    const std::uint64_t entry = large ? 4 : 2, worst = 2 * row_bytes + 2;  // PackBits at its least efficient
    std::uint64_t data = 0;
    for (std::uint64_t r = 0; r < rows; ++r) {
        std::uint32_t n = 0;
        std::uint16_t n16 = 0;
        if (large ? !w.u32(pos + r * entry, false, n) : !w.u16(pos + r * entry, false, n16)) return confirmed(0);
        if (!large) n = n16;
        if (n > worst) return confirmed(0);
        data += n;
    }
    return pictures::ended_at(pos + rows * entry + data, w.size());
}

}  // namespace salvex::finish
