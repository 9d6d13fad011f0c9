#pragma once
// Shared by the stream units: a read window over the run, so that walks from
// frame to frame (a few hundred bytes apart) do not cost a read each.
#include <cstdint>
#include <vector>

#include "engine/finish/unit.h"

namespace salvex::finish::streams {

inline constexpr std::size_t kWindow = std::size_t{1} << 16;

class Window {
public:
    explicit Window(ByteSource& source) : source_(source), buffer_(kWindow) {}

    std::uint64_t size() const { return source_.size(); }

    // n bytes at offset (n <= kWindow), or nullptr when the run does not hold them.
    // The pointer is valid until the next call.
    const std::uint8_t* at(std::uint64_t offset, std::size_t n) {
        if (offset >= base_ && offset - base_ <= held_ && held_ - (offset - base_) >= n)
            return buffer_.data() + (offset - base_);
        const std::uint64_t total = source_.size();
        if (n > kWindow || offset > total || total - offset < n) return nullptr;
        const std::size_t want = total - offset < kWindow ? static_cast<std::size_t>(total - offset) : kWindow;
        base_ = offset;
        held_ = source_.read(offset, buffer_.data(), want);
        return held_ >= n ? buffer_.data() : nullptr;
    }

    // For reading straight through: up to want bytes at offset, as many as the
    // window holds from there (refilled only when it holds none); got says how many.
    const std::uint8_t* span(std::uint64_t offset, std::size_t want, std::size_t& got) {
        if (!(offset >= base_ && offset - base_ < held_)) {
            got = 0;
            if (at(offset, 1) == nullptr) return nullptr;
        }
        const std::size_t from = static_cast<std::size_t>(offset - base_);
        got = held_ - from < want ? held_ - from : want;
        return buffer_.data() + from;
    }

private:
    ByteSource& source_;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t base_ = 0;
    std::size_t held_ = 0;
};

inline std::uint32_t be32(const std::uint8_t* b) {
    return std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
}

}  // namespace salvex::finish::streams
