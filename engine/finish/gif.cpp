// GIF: header, logical screen and its colour table, then extension and image
// blocks (each closed by its empty sub-block) up to the 0x3B trailer.
#include "engine/finish/pictures_common.h"
#include "engine/finish/units.h"

namespace salvex::finish {
namespace {

constexpr std::uint32_t kMaxBlocks = 1u << 22;

// Past the sub-blocks starting at pos, or 0 when the run ends inside them.
std::uint64_t skip_sub_blocks(pictures::Window& w, std::uint64_t pos) {
    for (;;) {
        std::uint8_t size = 0;
        if (!w.u8(pos, size)) return 0;
        pos += 1 + std::uint64_t{size};
        if (size == 0) return pos;
    }
}

std::uint64_t colour_table(std::uint8_t packed) { return packed & 0x80 ? 3ull << ((packed & 7) + 1) : 0; }

}  // namespace

Verdict check_gif(ByteSource& run, std::string_view type) {
    if (type != "gif") return rejected();
    if (!bytes_are(run, 0, "GIF87a") && !bytes_are(run, 0, "GIF89a")) return rejected();
    pictures::Window w(run);
    std::uint8_t screen = 0;
    if (!w.u8(10, screen)) return unknown();
    std::uint64_t pos = 13 + colour_table(screen);
    std::uint32_t images = 0;
    for (std::uint32_t blocks = 0; blocks < kMaxBlocks; ++blocks) {
        std::uint8_t kind = 0;
        if (!w.u8(pos, kind)) return confirmed(0);
        if (kind == 0x3B) return images > 0 ? pictures::ended_at(pos + 1, w.size()) : confirmed(0);
        if (kind == 0x21) {
            pos = skip_sub_blocks(w, pos + 2);
        } else if (kind == 0x2C) {
            const std::uint8_t* d = w.at(pos, 11);  // descriptor, then the LZW code size (after any local table)
            if (d == nullptr) return confirmed(0);
            pos += 10 + colour_table(d[9]);
            std::uint8_t code_size = 0;
            if (!w.u8(pos, code_size) || code_size < 1 || code_size > 11) return confirmed(0);
            pos = skip_sub_blocks(w, pos + 1);
            ++images;
        } else {
            return confirmed(0);
        }
        if (pos == 0) return confirmed(0);
    }
    return confirmed(0);
}

}  // namespace salvex::finish
