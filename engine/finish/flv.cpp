// FLV: a header, then tags, each followed by a PreviousTagSize that repeats its
// length. The file ends after the last tag; the walk stops at the first bytes
// that are not a tag header. Where onMetaData gives the file size, the two agree.
#include <cstring>
#include <string_view>
#include <vector>

#include "engine/finish/units.h"

namespace salvex::finish {
namespace {

std::uint32_t be(const std::uint8_t* b, int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = v << 8 | b[i];
    return v;
}

// The "filesize" number among the top-level entries of an onMetaData script
// tag; 0 when it is not there before something this reader does not skip.
std::uint64_t meta_file_size(const std::vector<std::uint8_t>& d) {
    constexpr std::string_view kName = "onMetaData";
    std::size_t at = 0;
    const auto left = [&](std::size_t n) { return d.size() - at >= n; };
    if (!left(3 + kName.size()) || d[0] != 2 || be(&d[1], 2) != kName.size() ||
        std::memcmp(&d[3], kName.data(), kName.size()) != 0)
        return 0;
    at = 3 + kName.size();
    if (!left(1)) return 0;
    if (d[at] == 8) at += 5;  // ECMA array with its count
    else if (d[at] == 3) at += 1;  // object
    else return 0;
    for (int entries = 0; entries < 256 && left(2); ++entries) {
        const std::size_t key_len = be(&d[at], 2);
        if (!left(2 + key_len + 1)) return 0;
        const std::string_view key(reinterpret_cast<const char*>(&d[at + 2]), key_len);
        at += 2 + key_len;
        const std::uint8_t marker = d[at++];
        if (key == "filesize" && marker == 0 && left(8)) {
            std::uint64_t bits = 0;
            for (int i = 0; i < 8; ++i) bits = bits << 8 | d[at + static_cast<std::size_t>(i)];
            double value;
            std::memcpy(&value, &bits, sizeof value);
            return value >= 1 && value < 1.8e19 ? static_cast<std::uint64_t>(value) : 0;
        }
        std::size_t skip = 0;
        switch (marker) {
        case 0: skip = 8; break;                                    // number
        case 1: skip = 1; break;                                    // boolean
        case 2: skip = left(2) ? 2 + be(&d[at], 2) : 0; break;      // string
        case 5: case 6: break;                                      // null, undefined
        case 11: skip = 10; break;                                  // date
        case 12: skip = left(4) ? 4 + be(&d[at], 4) : 0; break;     // long string
        default: return 0;                                          // nested values
        }
        if (!left(skip)) return 0;
        at += skip;
    }
    return 0;
}

}  // namespace

Verdict check_flv(ByteSource& run, std::string_view type) {
    if (type != "flv") return rejected();
    std::uint8_t head[9];
    if (!bytes_are(run, 0, "FLV")) return rejected();
    if (!run.read_exact(0, head, sizeof head)) return unknown();
    const std::uint32_t data_offset = be(head + 5, 4);
    if (head[3] != 1 || data_offset < 9 || data_offset > 1024) return unknown();

    // One read per tag: the PreviousTagSize closing one tag and the header of the next.
    constexpr int kMaxTags = 1 << 24;
    std::uint64_t pos = std::uint64_t{data_offset} + 4, file_size = 0;
    std::uint32_t last_size = 0;
    int tags = 0;
    for (; tags < kMaxTags; ++tags) {
        std::uint8_t b[15] = {};
        const std::size_t got = run.read(pos - 4, b, sizeof b);
        if (tags > 0 && (got < 4 || be(b, 4) != last_size)) return confirmed();  // a damaged tag
        const std::uint8_t* t = b + 4;
        const unsigned kind = t[0] & 0x1F;
        if (got < sizeof b || (t[0] & 0xC0) != 0 || (kind != 8 && kind != 9 && kind != 18) || be(t + 8, 3) != 0)
            break;
        const std::uint32_t data_size = be(t + 1, 3);
        if (11 + std::uint64_t{data_size} + 4 > run.size() - pos) return confirmed();  // cut by the run's end
        if (tags == 0 && kind == 18 && data_size >= 13 && data_size <= 65536) {
            std::vector<std::uint8_t> script(data_size);
            if (run.read_exact(pos + 11, script.data(), data_size)) file_size = meta_file_size(script);
        }
        last_size = 11 + data_size;
        pos += 11 + std::uint64_t{data_size} + 4;
    }
    if (tags == 0 || tags == kMaxTags || (file_size != 0 && file_size != pos)) return confirmed();
    return confirmed(pos);
}

}  // namespace salvex::finish
