// Standard MIDI files: the MThd chunk, then chunks by their lengths until as
// many MTrk chunks as the header counts have gone by. Chunks of other types are
// allowed between tracks and skipped.
#include <cstring>

#include "engine/finish/units.h"

namespace salvex::finish {

Verdict check_midi(ByteSource& run, std::string_view type) {
    if (type != "mid") return rejected();
    std::uint8_t h[14];
    if (!run.read_exact(0, h, sizeof h) || std::memcmp(h, "MThd", 4) != 0) return rejected();
    const std::uint32_t header =
        std::uint32_t{h[4]} << 24 | std::uint32_t{h[5]} << 16 | std::uint32_t{h[6]} << 8 | h[7];
    const unsigned format = unsigned{h[8]} << 8 | h[9], tracks = unsigned{h[10]} << 8 | h[11];
    if (header < 6 || header > 1024 || format > 2) return unknown();
    if (tracks == 0 || (format == 0 && tracks != 1)) return confirmed();

    constexpr int kMaxOtherChunks = 1024;
    std::uint64_t pos = 8 + std::uint64_t{header};
    int others = 0;
    for (unsigned seen = 0; seen < tracks;) {
        std::uint8_t c[8];
        if (!run.read_exact(pos, c, sizeof c)) return confirmed();  // cut short
        const std::uint64_t length =
            std::uint64_t{c[4]} << 24 | std::uint64_t{c[5]} << 16 | std::uint64_t{c[6]} << 8 | c[7];
        if (std::memcmp(c, "MTrk", 4) == 0) {
            // A track holds at least its end-of-track event.
            if (length < 4) return confirmed();
            ++seen;
        } else {
            for (std::uint8_t ch : {c[0], c[1], c[2], c[3]})
                if (ch < 0x20 || ch > 0x7E) return confirmed();  // not a chunk: damage
            if (++others > kMaxOtherChunks) return confirmed();
        }
        if (length > run.size() - pos - 8) return confirmed();
        pos += 8 + length;
    }
    return confirmed(pos);
}

}  // namespace salvex::finish
