#pragma once
// Buffered forward reading for the picture units: their walks read many small
// fields (sub-block sizes, IFD entries, row byte counts) and must not pay one
// virtual read per field.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/finish/unit.h"

namespace salvex::finish::pictures {

inline constexpr std::size_t kWindow = 64 * 1024;

inline std::uint32_t be32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}
inline std::uint32_t le32(const std::uint8_t* p) {
    return std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
}

class Window {
public:
    explicit Window(ByteSource& source) : source_(source), size_(source.size()), buffer_(std::make_unique_for_overwrite<std::uint8_t[]>(kWindow)) {}

    std::uint64_t size() const { return size_; }
    ByteSource& source() { return source_; }

    // n bytes (n <= kWindow) at off, or nullptr when the run is shorter.
    const std::uint8_t* at(std::uint64_t off, std::size_t n) {
        if (off > size_ || size_ - off < n) return nullptr;
        if ((off < base_ || off - base_ + n > length_) && refill(off) < n) return nullptr;
        return buffer_.get() + (off - base_);
    }

    // Bytes buffered from off on, at least `want` of them unless the run ends first.
    std::size_t from(std::uint64_t off, std::size_t want, const std::uint8_t*& data) {
        if (off >= size_) return 0;
        if (off < base_ || off - base_ + want > length_) refill(off);
        data = buffer_.get() + (off - base_);
        return length_ - static_cast<std::size_t>(off - base_);
    }

    bool u8(std::uint64_t off, std::uint8_t& v) {
        const std::uint8_t* p = at(off, 1);
        if (p == nullptr) return false;
        v = *p;
        return true;
    }
    bool u16(std::uint64_t off, bool little, std::uint16_t& v) {
        const std::uint8_t* p = at(off, 2);
        if (p == nullptr) return false;
        v = little ? static_cast<std::uint16_t>(p[1] << 8 | p[0]) : static_cast<std::uint16_t>(p[0] << 8 | p[1]);
        return true;
    }
    bool u32(std::uint64_t off, bool little, std::uint32_t& v) {
        const std::uint8_t* p = at(off, 4);
        if (p == nullptr) return false;
        v = little ? le32(p) : be32(p);
        return true;
    }
    bool u64(std::uint64_t off, bool little, std::uint64_t& v) {
        const std::uint8_t* p = at(off, 8);
        if (p == nullptr) return false;
        v = little ? std::uint64_t{le32(p + 4)} << 32 | le32(p) : std::uint64_t{be32(p)} << 32 | be32(p + 4);
        return true;
    }

private:
    std::size_t refill(std::uint64_t off) {
        base_ = off;
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kWindow, size_ - off));
        length_ = source_.read(off, buffer_.get(), want);
        return length_;
    }

    ByteSource& source_;
    std::uint64_t size_;
    std::unique_ptr<std::uint8_t[]> buffer_;  // not cleared: only what was read is looked at
    std::uint64_t base_ = 0;
    std::size_t length_ = 0;
};

// The verdict for a walk that proved `end`: a file reaching past the run was cut.
inline Verdict ended_at(std::uint64_t end, std::uint64_t run_size) {
    return end > 0 && end <= run_size ? confirmed(end) : confirmed(0);
}

}  // namespace salvex::finish::pictures
