// BMP: "BM" is a weak signature, so the info header must be plausible and the
// file size field must agree with the pixel array (and an embedded ICC profile)
// before the field is trusted as the end.
#include "engine/finish/pictures_common.h"
#include "engine/finish/units.h"

namespace salvex::finish {
namespace {

constexpr std::uint64_t kMaxSide = 1u << 20;
constexpr std::uint64_t kSlack = 4;  // some writers pad the file past the last row

bool known_header(std::uint32_t size) {
    return size == 12 || (size >= 16 && size <= 64 && size % 4 == 0) || size == 108 || size == 124;
}

bool known_depth(std::uint16_t bpp) {
    return bpp == 1 || bpp == 2 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32 || bpp == 64;
}

}  // namespace

Verdict check_bmp(ByteSource& run, std::string_view type) {
    if (type != "bmp") return rejected();
    std::uint8_t h[138] = {};  // file header and the largest info header
    const std::size_t got = run.read(0, h, sizeof h);
    if (got < 26 || h[0] != 'B' || h[1] != 'M') return rejected();
    auto le16 = [&](std::size_t o) { return static_cast<std::uint16_t>(h[o] | h[o + 1] << 8); };
    auto le32 = [&](std::size_t o) { return std::uint32_t{le16(o)} | std::uint32_t{le16(o + 2)} << 16; };

    const std::uint32_t file_size = le32(2), offset = le32(10), header = le32(14);
    if (!known_header(header) || got < 14 + header) return rejected();
    std::uint64_t width = 0, height = 0;
    std::uint16_t planes = 0, bpp = 0;
    std::uint32_t compression = 0, image_size = 0;
    if (header == 12) {
        width = le16(18);
        height = le16(20);
        planes = le16(22);
        bpp = le16(24);
    } else {
        width = le32(18);
        const auto signed_height = static_cast<std::int32_t>(le32(22));
        const std::int64_t rows = signed_height;  // negative for top-down rows
        height = static_cast<std::uint64_t>(rows < 0 ? -rows : rows);
        planes = le16(26);
        bpp = le16(28);
        if (header >= 20) compression = le32(30);
        if (header >= 24) image_size = le32(34);
    }
    const bool embedded = compression == 4 || compression == 5;  // JPEG or PNG inside
    if (width == 0 || width > kMaxSide || height == 0 || height > kMaxSide || planes != 1 || compression > 6 ||
        (embedded ? bpp != 0 : !known_depth(bpp)) || offset < 14 + header)
        return rejected();

    // Run-length and embedded pixels have only the header's own size to go by.
    const bool packed = compression == 1 || compression == 2 || embedded;
    if (packed && image_size == 0) return unknown();
    std::uint64_t expected = offset + (packed ? image_size : (width * bpp + 31) / 32 * 4 * height);
    if (header == 124 && (le32(70) == 0x4D424544 || le32(70) == 0x4C494E4B)) {  // 'MBED' or 'LINK' profile
        const std::uint64_t profile_end = 14ull + le32(126) + le32(130);
        if (profile_end > expected) expected = profile_end;
    }
    if (file_size < expected || file_size - expected > kSlack) return unknown();
    return pictures::ended_at(file_size, run.size());
}

}  // namespace salvex::finish
