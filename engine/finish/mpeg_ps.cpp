// MPEG-1 and MPEG-2 program streams (also DVD VOB). Pack headers, system headers
// and PES packets are walked by their own lengths to the program end code the
// walk reaches. Many muxers leave that code out, so the stream also ends where
// the walk meets bytes that are not a start code at all (zeros then junk count
// as such), provided packets were walked and no pack header turns up within a
// few packs' distance. A start code prefix that does not belong at this level,
// or a damaged pack, is taken for damage, not an end.
#include <cstring>

#include "engine/finish/streams_common.h"
#include "engine/finish/units.h"

namespace salvex::finish {

namespace {

using streams::Window;

// The length of the pack header at p (14 bytes held), 0 when its marker bits
// are wrong; mpeg2 tells which form it is.
unsigned pack_length(const std::uint8_t* p, bool& mpeg2) {
    if ((p[4] & 0xC4) == 0x44 && (p[6] & 4) && (p[8] & 4) && (p[9] & 1) && (p[12] & 3) == 3) {
        mpeg2 = true;
        return 14 + (p[13] & 7u);
    }
    if ((p[4] & 0xF1) == 0x21 && (p[6] & 1) && (p[8] & 1) && (p[9] & 0x80) && (p[11] & 1)) {
        mpeg2 = false;
        return 12;
    }
    return 0;
}

bool pack_at(Window& w, std::uint64_t pos, bool mpeg2) {
    const std::uint8_t* p = w.at(pos, 14);
    bool form = false;
    return p != nullptr && p[0] == 0 && p[1] == 0 && p[2] == 1 && p[3] == 0xBA && pack_length(p, form) != 0 &&
           form == mpeg2;
}

}  // namespace

Verdict check_mpeg_ps(ByteSource& run, std::string_view type) {
    if (type != "mpg") return rejected();
    if (!bytes_are(run, 0, std::string_view("\0\0\1\xBA", 4))) return rejected();

    Window w(run);
    const std::uint8_t* first = w.at(0, 14);
    bool mpeg2 = false;
    if (first == nullptr || pack_length(first, mpeg2) == 0) return unknown();

    std::uint64_t pos = 0, packs = 0, packets = 0;
    for (;;) {
        const std::uint64_t left = run.size() - pos;
        const std::uint8_t* p = left >= 4 ? w.at(pos, 4) : nullptr;
        if (p == nullptr) return confirmed();  // the run ends inside the stream
        if (p[0] != 0 || p[1] != 0 || p[2] != 1) {
            // Zeros may pad up to the next start code.
            std::uint64_t z = pos;
            const std::uint8_t* b = nullptr;
            while (z - pos < 4096 && (b = w.at(z, 1)) != nullptr && *b == 0) ++z;
            if (z - pos >= 2 && b != nullptr && *b == 1 && pos + 2 < z) {
                pos = z - 2;
                continue;
            }
            if (packs == 0 || packets == 0) return confirmed();
            constexpr std::uint64_t kReach = 8192;
            for (std::uint64_t at = pos + 1; at <= pos + kReach && at < run.size(); ++at)
                if (pack_at(w, at, mpeg2)) return confirmed();  // resumes: a damaged stretch, not the end
            return confirmed(pos);
        }
        const std::uint8_t code = p[3];
        std::uint64_t length = 0;
        if (code == 0xB9) {
            return confirmed(pos + 4);
        } else if (code == 0xBA) {
            const std::uint8_t* h = w.at(pos, 14);
            bool form = false;
            if (h == nullptr || (length = pack_length(h, form)) == 0 || form != mpeg2) return confirmed();
            ++packs;
        } else if (code >= 0xBB) {
            const std::uint8_t* h = w.at(pos, 6);
            if (h == nullptr || (length = unsigned{h[4]} << 8 | h[5]) == 0) return confirmed();
            length += 6;
            packets += code != 0xBB;
        } else {
            return confirmed();  // a video start code out of place
        }
        if (length > run.size() - pos) return confirmed();
        pos += length;
    }
}

}  // namespace salvex::finish
