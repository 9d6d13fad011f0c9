// RAR: blocks are walked by their sizes, each header proved by its CRC, to the
// end-of-archive block. RAR 1.5-4.x: HEAD_SIZE plus ADD_SIZE for long blocks
// (file and service blocks carry the packed size there, high half in the
// header when large). RAR 5: vint sizes, header then data area. Archives from
// writers that put no end block, or with encrypted headers, prove no end.
#include <string_view>

#include "engine/finish/documents_common.h"
#include "engine/finish/units.h"

namespace salvex::finish {
namespace {

constexpr std::uint64_t kMaxBlocks = 1u << 22;

Verdict walk_rar4(ByteSource& run) {
    std::uint64_t at = 7;
    for (std::uint64_t blocks = 0; blocks < kMaxBlocks; ++blocks) {
        std::uint8_t h[7];
        if (!run.read_exact(at, h, sizeof h)) return confirmed(0);
        const unsigned crc = h[0] | h[1] << 8, type = h[2], flags = h[3] | h[4] << 8, size = h[5] | h[6] << 8;
        std::uint32_t sum;
        if (size < 7 || type < 0x72 || type > 0x7B || !documents::crc32_of(run, at + 2, size - 2u, sum) ||
            (sum & 0xFFFF) != crc)
            return confirmed(0);
        std::uint64_t add = 0;
        if ((flags & 0x8000) != 0) {
            std::uint32_t low, high = 0;
            if (size < 11 || !u32le(run, at + 7, low)) return confirmed(0);
            if ((type == 0x74 || type == 0x7A) && (flags & 0x100) != 0 && (size < 36 || !u32le(run, at + 32, high)))
                return confirmed(0);
            add = std::uint64_t{high} << 32 | low;
        }
        if (add > run.size()) return confirmed(0);
        at += size + add;
        if (type == 0x7B) return confirmed(at <= run.size() ? at : 0);
    }
    return confirmed(0);
}

// A vint at p (7 bits a byte, low first); false past `stop` or past 10 bytes.
bool vint(const std::uint8_t* p, std::size_t stop, std::size_t& i, std::uint64_t& v) {
    v = 0;
    for (int shift = 0; i < stop && shift < 70; shift += 7) {
        const std::uint8_t byte = p[i++];
        v |= std::uint64_t{byte & 0x7Fu} << shift;
        if ((byte & 0x80) == 0) return true;
    }
    return false;
}

Verdict walk_rar5(ByteSource& run) {
    std::uint64_t at = 8;
    for (std::uint64_t blocks = 0; blocks < kMaxBlocks; ++blocks) {
        std::uint8_t h[64];
        const std::size_t got = run.read(at, h, sizeof h);
        std::size_t i = 4;
        std::uint64_t size, type, flags, extra = 0, data = 0;
        if (got < 7 || !vint(h, got, i, size) || size == 0 || size > (2u << 20)) return confirmed(0);
        const std::size_t size_field = i;
        std::uint32_t sum;
        if (!documents::crc32_of(run, at + 4, size_field - 4 + size, sum) || sum != documents::le32(h))
            return confirmed(0);
        const std::size_t stop = got < size_field + size ? got : static_cast<std::size_t>(size_field + size);
        if (!vint(h, stop, i, type) || !vint(h, stop, i, flags) || ((flags & 1) != 0 && !vint(h, stop, i, extra)) ||
            ((flags & 2) != 0 && !vint(h, stop, i, data)))
            return confirmed(0);
        if (type == 4 || data > run.size()) return confirmed(0);  // encrypted headers follow: no walk
        at += size_field + size + data;
        if (type == 5) return confirmed(at <= run.size() ? at : 0);
    }
    return confirmed(0);
}

}  // namespace

Verdict check_rar(ByteSource& run, std::string_view type) {
    if (type != "rar") return rejected();
    if (bytes_are(run, 0, std::string_view("Rar!\x1A\x07\x00", 7))) return walk_rar4(run);
    if (bytes_are(run, 0, std::string_view("Rar!\x1A\x07\x01\x00", 8))) return walk_rar5(run);
    return rejected();
}

}  // namespace salvex::finish
