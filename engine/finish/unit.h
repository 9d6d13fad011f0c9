#pragma once
// What a finishing unit sees and says. A unit is a pure function over the bytes
// of one carved run: it follows its format's own structure to decide whether the
// run is of its type and where the file really ends. No state, no Qt, no I/O
// beyond the source it is given.
#include <cstdint>
#include <cstring>
#include <string_view>

namespace salvex::finish {

class ScanMarks;

// Random access to the carved run as it was written.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Copies up to n bytes from offset; fewer only at the end of the run.
    virtual std::size_t read(std::uint64_t offset, void* out, std::size_t n) = 0;

    // What the writer noted about the run while writing it, when it did: the
    // places where a JPEG scan can end.
    virtual const ScanMarks* scan_marks() const { return nullptr; }

    // Exactly n bytes at offset, or false.
    bool read_exact(std::uint64_t offset, void* out, std::size_t n) {
        return offset <= size() && size() - offset >= n && read(offset, out, n) == n;
    }
};

// A run held in memory (tests, fuzzing, small files).
class MemorySource final : public ByteSource {
public:
    MemorySource(const void* data, std::size_t size) : data_(static_cast<const std::uint8_t*>(data)), size_(size) {}
    std::uint64_t size() const override { return size_; }
    std::size_t read(std::uint64_t offset, void* out, std::size_t n) override {
        if (offset >= size_) return 0;
        const std::size_t take = n < size_ - offset ? n : static_cast<std::size_t>(size_ - offset);
        std::memcpy(out, data_ + offset, take);
        return take;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

enum class Status {
    confirmed,  // the run is of the asked type
    rejected,   // the run is not of the asked type
    unknown,    // cannot tell: damaged, cut, or a structure this unit does not follow
};

struct Verdict {
    Status status = Status::unknown;
    // Where the structure proves the file ends, 0 < end <= size(); 0 when no end
    // was proved (the file then stays whole). Only meaningful when confirmed.
    std::uint64_t end = 0;
};

inline Verdict confirmed(std::uint64_t end = 0) { return {Status::confirmed, end}; }
inline Verdict rejected() { return {Status::rejected, 0}; }
inline Verdict unknown() { return {Status::unknown, 0}; }

// type: the extension in lower case without its dot ("jpg", "docx").
using Unit = Verdict (*)(ByteSource& run, std::string_view type);

// Integer reads at an offset; false when the run is too short.
inline bool u8(ByteSource& s, std::uint64_t off, std::uint8_t& v) { return s.read_exact(off, &v, 1); }
inline bool u16be(ByteSource& s, std::uint64_t off, std::uint16_t& v) {
    std::uint8_t b[2];
    if (!s.read_exact(off, b, 2)) return false;
    v = static_cast<std::uint16_t>(b[0] << 8 | b[1]);
    return true;
}
inline bool u16le(ByteSource& s, std::uint64_t off, std::uint16_t& v) {
    std::uint8_t b[2];
    if (!s.read_exact(off, b, 2)) return false;
    v = static_cast<std::uint16_t>(b[1] << 8 | b[0]);
    return true;
}
inline bool u32be(ByteSource& s, std::uint64_t off, std::uint32_t& v) {
    std::uint8_t b[4];
    if (!s.read_exact(off, b, 4)) return false;
    v = std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
    return true;
}
inline bool u32le(ByteSource& s, std::uint64_t off, std::uint32_t& v) {
    std::uint8_t b[4];
    if (!s.read_exact(off, b, 4)) return false;
    v = std::uint32_t{b[3]} << 24 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[1]} << 8 | b[0];
    return true;
}
inline bool u64be(ByteSource& s, std::uint64_t off, std::uint64_t& v) {
    std::uint32_t hi, lo;
    if (!u32be(s, off, hi) || !u32be(s, off + 4, lo)) return false;
    v = std::uint64_t{hi} << 32 | lo;
    return true;
}
inline bool u64le(ByteSource& s, std::uint64_t off, std::uint64_t& v) {
    std::uint32_t hi, lo;
    if (!u32le(s, off, lo) || !u32le(s, off + 4, hi)) return false;
    v = std::uint64_t{hi} << 32 | lo;
    return true;
}
// The bytes at off equal text.
inline bool bytes_are(ByteSource& s, std::uint64_t off, std::string_view text) {
    char b[64];
    if (text.size() > sizeof b || !s.read_exact(off, b, text.size())) return false;
    return std::memcmp(b, text.data(), text.size()) == 0;
}

}  // namespace salvex::finish
