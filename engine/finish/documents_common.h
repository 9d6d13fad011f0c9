#pragma once
// What the document and archive units share: little-endian reads from a
// buffer, CRC-32 and a buffered forward reader.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/finish/unit.h"

namespace salvex::finish::documents {

inline constexpr std::size_t kChunk = 64 * 1024;

inline constexpr std::array<std::uint32_t, 256> kCrcTable = [] {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}();

inline std::uint16_t le16(const std::uint8_t* b) { return static_cast<std::uint16_t>(b[0] | b[1] << 8); }
inline std::uint32_t le32(const std::uint8_t* b) {
    return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
}

// CRC-32 as zip, gzip, 7z and RAR use it; start from 0, feed pieces in order.
inline std::uint32_t crc32(std::uint32_t crc, const std::uint8_t* data, std::size_t n) {
    crc = ~crc;
    for (std::size_t i = 0; i < n; ++i) crc = kCrcTable[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

// CRC-32 of n bytes at off, read in chunks; false when they are not all in the run.
inline bool crc32_of(ByteSource& s, std::uint64_t off, std::uint64_t n, std::uint32_t& crc) {
    if (off > s.size() || s.size() - off < n) return false;
    std::array<std::uint8_t, 4096> buffer;
    crc = 0;
    while (n > 0) {
        const std::size_t take = static_cast<std::size_t>(n < buffer.size() ? n : buffer.size());
        if (!s.read_exact(off, buffer.data(), take)) return false;
        crc = crc32(crc, buffer.data(), take);
        off += take;
        n -= take;
    }
    return true;
}

// Reads the run forward through one 64 KiB buffer, so byte-wise parsers make
// one virtual call per chunk, not per byte.
class Reader {
public:
    explicit Reader(ByteSource& s, std::uint64_t at = 0) : s_(s), buffer_(kChunk), base_(at) {}

    // The next byte, or -1 at the end of the run.
    int next() {
        if (i_ == len_ && !refill()) return -1;
        return buffer_[i_++];
    }
    int peek() {
        if (i_ == len_ && !refill()) return -1;
        return buffer_[i_];
    }
    std::uint64_t tell() const { return base_ + i_; }
    void seek(std::uint64_t at) {
        if (at >= base_ && at - base_ <= len_) {
            i_ = static_cast<std::size_t>(at - base_);
        } else {
            base_ = at;
            len_ = i_ = 0;
        }
    }

private:
    bool refill() {
        base_ += len_;
        i_ = 0;
        len_ = s_.read(base_, buffer_.data(), buffer_.size());
        return len_ > 0;
    }

    ByteSource& s_;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t base_;
    std::size_t len_ = 0, i_ = 0;
};

}  // namespace salvex::finish::documents
