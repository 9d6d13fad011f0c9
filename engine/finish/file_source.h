#pragma once
// A carved file read back through its descriptor. What was just written is in
// the page cache, so this costs a copy, not a disk read; a small window keeps
// the many short reads of a structure walk from becoming system calls.
#include <array>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/finish/scan_marks.h"
#include "engine/finish/unit.h"

namespace salvex::finish {

class FileSource final : public ByteSource {
public:
    // marks: noted while this very file was written, or null.
    explicit FileSource(int fd, const ScanMarks* marks = nullptr) : fd_(fd) {
        struct stat st {};
        size_ = ::fstat(fd, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
        if (marks != nullptr && marks->complete() && marks->fed() == size_) marks_ = marks;
    }
    std::uint64_t size() const override { return size_; }
    const ScanMarks* scan_marks() const override { return marks_; }
    std::size_t read(std::uint64_t offset, void* out, std::size_t n) override {
        if (offset >= size_) return 0;
        if (n > size_ - offset) n = static_cast<std::size_t>(size_ - offset);
        auto* dst = static_cast<std::uint8_t*>(out);
        if (n > window_.size() / 2) return pread_all(offset, dst, n);
        if (offset < window_start_ || offset + n > window_start_ + window_len_) {
            window_start_ = offset;
            window_len_ = pread_all(offset, window_.data(), window_.size());
            if (window_len_ < n) n = window_len_;
        }
        std::memcpy(dst, window_.data() + (offset - window_start_), n);
        return n;
    }

private:
    std::size_t pread_all(std::uint64_t offset, std::uint8_t* out, std::size_t n) {
        std::size_t done = 0;
        while (done < n) {
            const ssize_t got = ::pread(fd_, out + done, n - done, static_cast<off_t>(offset + done));
            if (got <= 0) break;
            done += static_cast<std::size_t>(got);
        }
        return done;
    }

    int fd_;
    std::uint64_t size_ = 0;
    const ScanMarks* marks_ = nullptr;
    std::array<std::uint8_t, 64 * 1024> window_;  // not cleared: only what was read is looked at
    std::uint64_t window_start_ = 0;
    std::size_t window_len_ = 0;
};

}  // namespace salvex::finish
