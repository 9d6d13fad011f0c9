// FLAC: "fLaC", metadata blocks by their lengths, then audio frames. Frames carry
// no length: a frame ends where the next frame header starts (sync, CRC-8, the
// next frame or sample number) and the CRC-16 of the bytes between holds. The
// last frame, which has no successor, is measured by reading its subframes. The
// walk stops at the total sample count of STREAMINFO; when that count is not
// filled in, at the first verified frame that nothing frame-like follows.
#include <algorithm>
#include <array>
#include <cstring>

#include "engine/finish/streams_common.h"
#include "engine/finish/units.h"

namespace salvex::finish {

namespace {

using streams::Window;

constexpr std::array<std::uint8_t, 256> kCrc8 = [] {
    std::array<std::uint8_t, 256> t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned r = i;
        for (int k = 0; k < 8; ++k) r = (r & 0x80 ? r << 1 ^ 0x07 : r << 1) & 0xFF;
        t[i] = static_cast<std::uint8_t>(r);
    }
    return t;
}();

constexpr std::array<std::uint16_t, 256> kCrc16 = [] {
    std::array<std::uint16_t, 256> t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned r = i << 8;
        for (int k = 0; k < 8; ++k) r = (r & 0x8000 ? r << 1 ^ 0x8005 : r << 1) & 0xFFFF;
        t[i] = static_cast<std::uint16_t>(r);
    }
    return t;
}();

inline std::uint16_t crc16(std::uint16_t crc, std::uint8_t b) {
    return static_cast<std::uint16_t>(crc << 8 ^ kCrc16[(crc >> 8 ^ b) & 0xFF]);
}

struct StreamInfo {
    unsigned min_block = 0, max_block = 0, max_frame = 0, rate = 0, channels = 0, bits = 0;
    std::uint64_t total = 0;  // samples per channel; 0 when not known
};

struct Frame {
    bool variable = false;     // numbered by sample, not by frame
    std::uint64_t number = 0;  // frame or first sample number
    unsigned block = 0, channels = 0, bits = 0, assignment = 0;
    std::size_t header = 0;  // bytes
};

constexpr unsigned kRates[12] = {0, 88200, 176400, 192000, 8000, 16000, 22050, 24000, 32000, 44100, 48000, 96000};
constexpr unsigned kBits[8] = {0, 8, 12, 0, 16, 20, 24, 32};

// The frame header at p (up to 16 bytes held), consistent with the stream.
bool parse_header(const std::uint8_t* p, std::size_t held, const StreamInfo& si, Frame& f) {
    if (held < 6 || p[0] != 0xFF || (p[1] & 0xFE) != 0xF8 || (p[3] & 1) != 0) return false;
    const unsigned block_code = p[2] >> 4, rate_code = p[2] & 15, assign = p[3] >> 4, size_code = p[3] >> 1 & 7;
    if (block_code == 0 || rate_code == 15 || assign > 10 || size_code == 3) return false;
    std::size_t n = 4;
    // The frame or sample number, UTF-8 style, up to 36 bits.
    unsigned extra = 0;
    std::uint64_t number = p[n];
    if (p[n] >= 0x80) {
        while (extra < 7 && (p[n] & (0x40 >> extra))) ++extra;
        if (extra == 0 || extra > 6) return false;
        number = p[n] & (0x3F >> extra);
    }
    ++n;
    if (held < n + extra + 5) return false;  // number, block size, rate, CRC-8
    for (unsigned i = 0; i < extra; ++i, ++n) {
        if ((p[n] & 0xC0) != 0x80) return false;
        number = number << 6 | (p[n] & 0x3F);
    }
    unsigned block = 0;
    if (block_code == 1)
        block = 192;
    else if (block_code <= 5)
        block = 576u << (block_code - 2);
    else if (block_code == 6)
        block = p[n++] + 1u;
    else if (block_code == 7)
        block = (unsigned{p[n]} << 8 | p[n + 1]) + 1u, n += 2;
    else
        block = 256u << (block_code - 8);
    unsigned rate = rate_code == 0 ? si.rate : kRates[rate_code < 12 ? rate_code : 0];
    if (rate_code == 12)
        rate = p[n++] * 1000u;
    else if (rate_code == 13)
        rate = unsigned{p[n]} << 8 | p[n + 1], n += 2;
    else if (rate_code == 14)
        rate = (unsigned{p[n]} << 8 | p[n + 1]) * 10u, n += 2;
    std::uint8_t crc = 0;
    for (std::size_t i = 0; i < n; ++i) crc = kCrc8[crc ^ p[i]];
    if (crc != p[n]) return false;
    f.variable = p[1] & 1;
    f.number = number;
    f.block = block;
    f.channels = assign < 8 ? assign + 1 : 2;
    f.assignment = assign;
    f.bits = size_code == 0 ? si.bits : kBits[size_code];
    f.header = n + 1;
    return rate == si.rate && f.channels == si.channels && f.bits == si.bits && block <= si.max_block;
}

// Bit reads over the run, for measuring one frame.
class Bits {
public:
    Bits(Window& w, std::uint64_t byte) : w_(w), pos_(byte * 8) {}
    bool ok() const { return ok_; }
    std::uint64_t pos() const { return pos_; }
    void skip(std::uint64_t n) { pos_ += n; }
    std::uint32_t get(unsigned n) {  // n <= 24
        const std::uint8_t* b = w_.at(pos_ >> 3, 4);
        if (b == nullptr) return fail();
        const std::uint32_t word = streams::be32(b) << (pos_ & 7);
        pos_ += n;
        return n == 0 ? 0 : word >> (32 - n);
    }
    // Zero bits up to a one, which is consumed too.
    std::uint32_t unary(std::uint32_t cap) {
        std::uint32_t zeros = 0;
        for (;;) {
            const std::uint8_t* b = w_.at(pos_ >> 3, 1);
            if (b == nullptr) return fail();
            const unsigned shift = pos_ & 7;
            const unsigned rest = static_cast<std::uint8_t>(*b << shift);
            if (rest != 0) {
                unsigned lead = 0;
                while (!(rest & (0x80u >> lead))) ++lead;
                pos_ += lead + 1;
                return zeros + lead;
            }
            zeros += 8 - shift;
            pos_ += 8 - shift;
            if (zeros > cap) return fail();
        }
    }

private:
    std::uint32_t fail() {
        ok_ = false;
        pos_ = ~std::uint64_t{0} >> 4;
        return 0;
    }
    Window& w_;
    std::uint64_t pos_;
    bool ok_ = true;
};

bool residual(Bits& in, unsigned block, unsigned order) {
    const unsigned method = in.get(2);
    if (method > 1) return false;
    const unsigned param_bits = method == 0 ? 4 : 5, escape = method == 0 ? 15 : 31;
    const unsigned partition_order = in.get(4);
    const unsigned parts = 1u << partition_order;
    if (block % parts != 0 || block / parts < order) return false;
    for (unsigned part = 0; part < parts && in.ok(); ++part) {
        const unsigned count = block / parts - (part == 0 ? order : 0);
        const unsigned k = in.get(param_bits);
        if (k == escape) {
            in.skip(std::uint64_t{in.get(5)} * count);
            continue;
        }
        for (unsigned i = 0; i < count && in.ok(); ++i) {
            in.unary(1u << 20);
            in.skip(k);
        }
    }
    return in.ok();
}

// Where the frame at start ends, read from its subframes; 0 when they do not parse.
std::uint64_t measure(Window& w, std::uint64_t start, const Frame& f) {
    Bits in(w, start + f.header);
    for (unsigned ch = 0; ch < f.channels; ++ch) {
        const bool side =
            (f.assignment == 8 && ch == 1) || (f.assignment == 9 && ch == 0) || (f.assignment == 10 && ch == 1);
        unsigned bits = f.bits + (side ? 1 : 0);
        if (in.get(1) != 0) return 0;
        const unsigned kind = in.get(6);
        if (in.get(1) != 0) bits -= std::min(bits, in.unary(32) + 1);
        if (bits == 0 || !in.ok()) return 0;
        if (kind == 0) {
            in.skip(bits);
        } else if (kind == 1) {
            in.skip(std::uint64_t{bits} * f.block);
        } else if (kind >= 8 && kind <= 12) {
            in.skip(std::uint64_t{bits} * (kind - 8));
            if (!residual(in, f.block, kind - 8)) return 0;
        } else if (kind >= 32) {
            const unsigned order = kind - 31;
            in.skip(std::uint64_t{bits} * order);
            const unsigned precision = in.get(4) + 1;
            if (precision == 16) return 0;
            in.skip(5 + std::uint64_t{precision} * order);
            if (!residual(in, f.block, order)) return 0;
        } else {
            return 0;
        }
        if (!in.ok()) return 0;
    }
    const std::uint64_t end = (in.pos() + 7) / 8 + 2;  // padding to a byte, then the CRC-16
    return end <= w.size() ? end : 0;
}

// Bytes from begin to end, capped to what one read may take.
std::size_t want(std::uint64_t begin, std::uint64_t end) {
    return end - begin < streams::kWindow ? static_cast<std::size_t>(end - begin) : streams::kWindow;
}

bool crc16_holds(Window& w, std::uint64_t begin, std::uint64_t end) {
    std::uint16_t crc = 0;
    while (begin < end) {
        std::size_t n = 0;
        const std::uint8_t* p = w.span(begin, want(begin, end), n);
        if (p == nullptr) return false;
        for (std::size_t i = 0; i < n; ++i) crc = crc16(crc, p[i]);
        begin += n;
    }
    return crc == 0;
}

bool header_at(Window& w, std::uint64_t pos, const StreamInfo& si, Frame& f) {
    const std::uint64_t left = w.size() > pos ? w.size() - pos : 0;
    const std::size_t held = left < 16 ? static_cast<std::size_t>(left) : 16;
    const std::uint8_t* p = held ? w.at(pos, held) : nullptr;
    return p != nullptr && parse_header(p, held, si, f);
}

}  // namespace

Verdict check_flac(ByteSource& run, std::string_view type) {
    if (type != "flac") return rejected();
    if (!bytes_are(run, 0, "fLaC")) return rejected();

    std::uint8_t h[38];
    if (!run.read_exact(4, h, sizeof h) || (h[0] & 0x7F) != 0 || (h[1] << 16 | h[2] << 8 | h[3]) != 34)
        return unknown();
    const std::uint8_t* s = h + 4;
    StreamInfo si;
    si.min_block = unsigned{s[0]} << 8 | s[1];
    si.max_block = unsigned{s[2]} << 8 | s[3];
    si.max_frame = unsigned{s[7]} << 16 | unsigned{s[8]} << 8 | s[9];
    si.rate = unsigned{s[10]} << 12 | unsigned{s[11]} << 4 | s[12] >> 4;
    si.channels = (s[12] >> 1 & 7) + 1u;
    si.bits = ((s[12] & 1) << 4 | s[13] >> 4) + 1u;
    si.total = std::uint64_t{s[13] & 15u} << 32 | streams::be32(s + 14);
    if (si.max_block < 16 || si.min_block > si.max_block || si.rate == 0 || si.bits < 4) return unknown();

    // Metadata blocks by their lengths, to the one flagged last.
    std::uint64_t pos = 4;
    for (int blocks = 0;; ++blocks) {
        std::uint8_t b[4];
        if (blocks == 4096 || !run.read_exact(pos, b, 4) || (b[0] & 0x7F) == 127) return confirmed();
        pos += 4 + (std::uint64_t{b[1]} << 16 | std::uint64_t{b[2]} << 8 | b[3]);
        if (b[0] & 0x80) break;
    }

    Window w(run);
    Frame f;
    if (!header_at(w, pos, si, f) || f.number != 0) return confirmed();
    std::uint64_t samples = 0;
    for (;;) {
        if (si.total != 0 && samples + f.block >= si.total) {
            // The last frame: nothing follows to confirm it, so read its length.
            const std::uint64_t end = samples + f.block == si.total ? measure(w, pos, f) : 0;
            return end != 0 && crc16_holds(w, pos, end) ? confirmed(end) : confirmed();
        }
        // The next frame starts where the CRC-16 of the bytes so far is zero and a
        // header follows that carries the next number. The search stops past the
        // size of the frame stored uncompressed.
        const std::uint64_t expect = f.variable ? f.number + f.block : f.number + 1;
        constexpr std::uint64_t kLargestFrame = std::uint64_t{1} << 22;  // 65535 samples of 8 channels of 33 bits fit
        const std::uint64_t bound = std::min(
            kLargestFrame,
            std::max<std::uint64_t>(
                si.max_frame, f.header + 2 + std::uint64_t{f.channels} * ((f.bits + 1ull) * f.block + 64) / 8 + 64));
        const std::uint64_t limit = std::min(w.size(), pos + bound);
        std::uint16_t crc = 0;
        std::uint64_t q = pos;
        Frame next;
        bool found = false;
        while (q < limit && !found) {
            std::size_t n = 0;
            const std::uint8_t* p = w.span(q, want(q, limit), n);
            if (p == nullptr) break;
            std::size_t i = 0;
            for (; i < n; ++i) {
                if (crc == 0 && p[i] == 0xFF && q + i >= pos + f.header + 2) break;
                crc = crc16(crc, p[i]);
            }
            q += i;
            if (i == n) continue;
            found = header_at(w, q, si, next) && next.variable == f.variable && next.number == expect;
            if (!found) {
                crc = crc16(crc, 0xFF);
                ++q;
            }
        }
        if (!found) {
            if (si.total != 0) return confirmed();  // cut short, or a damaged frame
            // No count to go by: a frame that verifies and that nothing frame-like
            // follows ends the stream.
            const std::uint64_t end = measure(w, pos, f);
            Frame after;
            if (end == 0 || !crc16_holds(w, pos, end) || header_at(w, end, si, after)) return confirmed();
            // A later frame of this stream a little further on: the next header
            // was damaged, this is not the end.
            const std::uint64_t reach = f.variable ? 4ull * si.max_block : 4;
            for (std::uint64_t at = end + 1, stop = std::min(w.size(), end + 4 * bound); at < stop; ++at) {
                std::size_t n = 0;
                const std::uint8_t* p = w.span(at, want(at, stop), n);
                if (p == nullptr) break;
                const void* sync = std::memchr(p, 0xFF, n);
                if (sync == nullptr) {
                    at += n - 1;
                    continue;
                }
                at += static_cast<std::size_t>(static_cast<const std::uint8_t*>(sync) - p);
                if (header_at(w, at, si, after) && after.variable == f.variable && after.number > expect &&
                    after.number <= expect + reach)
                    return confirmed();
            }
            return confirmed(end);
        }
        samples += f.block;
        pos = q;
        f = next;
    }
}

}  // namespace salvex::finish
