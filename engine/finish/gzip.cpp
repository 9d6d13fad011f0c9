// gzip: no header field gives the compressed size, so the deflate stream is
// walked: block headers and Huffman codes are decoded to step over each block,
// counting the bytes it would produce but producing none. A member ends with
// its 8-byte trailer, whose size field must match that count; members follow
// one another while another member header comes next. A following member that
// cannot be walked may be this file's cut tail, so no end is proved then.
#include <string_view>
#include <vector>

#include "engine/finish/documents_common.h"
#include "engine/finish/units.h"

namespace salvex::finish {
namespace {

constexpr int kMaxMembers = 4096;

class Bits {
public:
    explicit Bits(ByteSource& s) : s_(s), buffer_(documents::kChunk) {}

    bool get(int n, std::uint32_t& v) {
        if (!need(n)) return false;
        v = static_cast<std::uint32_t>(bits_ & ((std::uint64_t{1} << n) - 1));
        bits_ >>= n;
        count_ -= n;
        return true;
    }
    void align() { bits_ >>= count_ % 8, count_ -= count_ % 8; }
    // The offset of the next whole byte not yet taken (after align()).
    std::uint64_t tell() const { return base_ + i_ - static_cast<unsigned>(count_ / 8); }
    void seek(std::uint64_t at) {
        bits_ = 0;
        count_ = 0;
        if (at >= base_ && at - base_ <= len_) i_ = static_cast<std::size_t>(at - base_);
        else base_ = at, len_ = i_ = 0;
    }
    bool need(int n) {
        while (count_ < n) {
            if (i_ == len_) {
                base_ += len_;
                i_ = 0;
                len_ = s_.read(base_, buffer_.data(), buffer_.size());
                if (len_ == 0) return false;
            }
            bits_ |= std::uint64_t{buffer_[i_++]} << count_;
            count_ += 8;
        }
        return true;
    }
    std::uint64_t peek_bits() const { return bits_; }
    int available() const { return count_; }
    void drop(int n) { bits_ >>= n, count_ -= n; }

private:
    ByteSource& s_;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t base_ = 0, bits_ = 0;
    std::size_t len_ = 0, i_ = 0;
    int count_ = 0;
};

// A canonical Huffman code: how many codes of each length, symbols in code
// order, and for the codes of up to 9 bits a table indexed by the next 9 bits
// (symbol | length << 9; 0 when the code is longer).
struct Huffman {
    std::uint16_t count[16];
    std::uint16_t symbol[288];
    std::uint16_t fast[512];
};

// < 0 over-subscribed, 0 complete, > 0 incomplete.
int build(Huffman& h, const std::uint8_t* lengths, int n) {
    for (auto& c : h.count) c = 0;
    for (auto& f : h.fast) f = 0;
    for (int s = 0; s < n; ++s) ++h.count[lengths[s]];
    if (h.count[0] == n) return 0;
    int left = 1;
    for (int len = 1; len < 16; ++len) {
        left = left * 2 - h.count[len];
        if (left < 0) return left;
    }
    std::uint16_t offsets[16] = {0, 0};
    for (int len = 1; len < 15; ++len) offsets[len + 1] = static_cast<std::uint16_t>(offsets[len] + h.count[len]);
    for (int s = 0; s < n; ++s)
        if (lengths[s] != 0) h.symbol[offsets[lengths[s]]++] = static_cast<std::uint16_t>(s);
    for (int len = 1, code = 0, index = 0; len <= 9; code = (code + h.count[len]) << 1, index += h.count[len++])
        for (int k = 0; k < h.count[len]; ++k) {
            int reversed = 0;
            for (int bit = 0; bit < len; ++bit) reversed |= ((code + k) >> bit & 1) << (len - 1 - bit);
            for (int r = reversed; r < 512; r += 1 << len)
                h.fast[r] = static_cast<std::uint16_t>(h.symbol[index + k] | len << 9);
        }
    return left;
}

int decode(Bits& b, const Huffman& h) {
    b.need(15);  // fewer only at the end of the run; checked bit by bit below
    const std::uint64_t bits = b.peek_bits();
    const int hit = h.fast[bits & 511], hit_length = hit >> 9;
    if (hit != 0 && hit_length <= b.available()) {
        b.drop(hit_length);
        return hit & 511;
    }
    int code = 0, first = 0, index = 0;
    for (int len = 1; len < 16 && len <= b.available(); ++len) {
        code |= static_cast<int>((bits >> (len - 1)) & 1);
        const int count = h.count[len];
        if (code - count < first) {
            b.drop(len);
            return h.symbol[index + (code - first)];
        }
        index += count;
        first = (first + count) << 1;
        code <<= 1;
    }
    return -1;
}

constexpr std::uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,   25,
                                             33,   49,   65,   97,   129,  193,   257,   385,   513,  769,
                                             1025, 1537, 2049, 3073, 4097, 6145,  8193,  12289, 16385, 24577};
constexpr std::uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                             6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// Steps over one Huffman-coded block; `out` counts the bytes it stands for.
bool codes(Bits& b, const Huffman& lengths, const Huffman& distances, std::uint64_t& out) {
    for (;;) {
        int symbol = decode(b, lengths);
        if (symbol < 0) return false;
        if (symbol < 256) {
            ++out;
            continue;
        }
        if (symbol == 256) return true;
        symbol -= 257;
        std::uint32_t extra, distance_extra;
        if (symbol >= 29 || !b.get(kLengthExtra[symbol], extra)) return false;
        const int d = decode(b, distances);
        if (d < 0 || d >= 30 || !b.get(kDistanceExtra[d], distance_extra)) return false;
        if (kDistanceBase[d] + distance_extra > out) return false;  // reaches before the stream began
        out += kLengthBase[symbol] + extra;
    }
}

bool dynamic_tables(Bits& b, Huffman& lengths, Huffman& distances) {
    static constexpr std::uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    std::uint32_t nlen, ndist, ncode, v;
    if (!b.get(5, nlen) || !b.get(5, ndist) || !b.get(4, ncode)) return false;
    nlen += 257, ndist += 1, ncode += 4;
    if (nlen > 286 || ndist > 30) return false;
    std::uint8_t length[320] = {};
    for (std::uint32_t i = 0; i < ncode; ++i) {
        if (!b.get(3, v)) return false;
        length[kOrder[i]] = static_cast<std::uint8_t>(v);
    }
    if (build(lengths, length, 19) != 0) return false;
    for (std::uint32_t index = 0; index < nlen + ndist;) {
        const int symbol = decode(b, lengths);
        if (symbol < 0) return false;
        if (symbol < 16) {
            length[index++] = static_cast<std::uint8_t>(symbol);
            continue;
        }
        std::uint8_t repeat = 0;
        if (symbol == 16) {
            if (index == 0 || !b.get(2, v)) return false;
            repeat = length[index - 1];
            v += 3;
        } else if (!b.get(symbol == 17 ? 3 : 7, v)) {
            return false;
        } else {
            v += symbol == 17 ? 3 : 11;
        }
        if (index + v > nlen + ndist) return false;
        while (v-- > 0) length[index++] = repeat;
    }
    if (length[256] == 0) return false;
    // Incomplete codes are allowed only as a single code of length one.
    const int l = build(lengths, length, static_cast<int>(nlen));
    if (l < 0 || (l > 0 && nlen - lengths.count[0] != 1)) return false;
    const int d = build(distances, length + nlen, static_cast<int>(ndist));
    return d >= 0 && (d == 0 || ndist - distances.count[0] == 1);
}

// Walks the member at `at`; its end (after the trailer) or 0.
std::uint64_t member(Bits& b, std::uint64_t at) {
    b.seek(at);
    std::uint32_t v, flags;
    if (!b.get(16, v) || v != 0x8B1F || !b.get(8, v) || v != 8 || !b.get(8, flags) || (flags & 0xE0) != 0 ||
        !b.get(32, v) || !b.get(16, v))
        return 0;
    if ((flags & 4) != 0) {
        std::uint32_t extra;
        if (!b.get(16, extra)) return 0;
        b.seek(b.tell() + extra);
    }
    for (const std::uint32_t text : {8u, 16u})  // the name, the comment: zero-terminated
        if ((flags & text) != 0)
            do
                if (!b.get(8, v)) return 0;
            while (v != 0);
    if ((flags & 2) != 0 && !b.get(16, v)) return 0;

    Huffman lengths, distances;
    std::uint64_t out = 0;
    for (std::uint32_t last = 0; last == 0;) {
        std::uint32_t kind;
        if (!b.get(1, last) || !b.get(2, kind)) return 0;
        if (kind == 0) {
            b.align();
            std::uint32_t len, nlen;
            if (!b.get(16, len) || !b.get(16, nlen) || len != (~nlen & 0xFFFF)) return 0;
            b.seek(b.tell() + len);
            out += len;
        } else if (kind == 1) {
            std::uint8_t length[318];
            for (int s = 0; s < 318; ++s) length[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : s < 288 ? 8 : 5;
            build(lengths, length, 288);
            build(distances, length + 288, 30);
            if (!codes(b, lengths, distances, out)) return 0;
        } else if (kind == 2) {
            if (!dynamic_tables(b, lengths, distances) || !codes(b, lengths, distances, out)) return 0;
        } else {
            return 0;
        }
    }
    b.align();
    std::uint32_t crc, size;
    if (!b.get(32, crc) || !b.get(32, size) || size != static_cast<std::uint32_t>(out)) return 0;
    return b.tell();
}

}  // namespace

Verdict check_gzip(ByteSource& run, std::string_view type) {
    if (type != "gz") return rejected();
    std::uint8_t h[4];
    if (!run.read_exact(0, h, sizeof h) || h[0] != 0x1F || h[1] != 0x8B) return rejected();
    if (h[2] != 8 || (h[3] & 0xE0) != 0) return unknown();
    Bits b(run);
    std::uint64_t end = 0;
    for (int members = 0; members < kMaxMembers; ++members) {
        const std::uint64_t next = member(b, end);
        if (next == 0) return confirmed(0);
        end = next;
        std::uint8_t m[3];
        if (!run.read_exact(end, m, sizeof m) || m[0] != 0x1F || m[1] != 0x8B || m[2] != 8) return confirmed(end);
    }
    return confirmed(0);
}

}  // namespace salvex::finish
