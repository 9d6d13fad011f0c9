#include "engine/sector_reader.h"

#include <cerrno>
#include <cstring>
#include <sys/types.h>

namespace salvex {

namespace {

// The source is gone rather than damaged: nothing further can be read.
bool source_gone(int error) {
#ifdef ENOMEDIUM
    if (error == ENOMEDIUM) return true;  // a card reader whose card was pulled out
#endif
    return error == ENXIO || error == ENODEV;
}

std::size_t read_bytes(std::FILE* stream, std::uint8_t* out, std::size_t n) {
#if defined(__GLIBC__)
    return fread_unlocked(out, 1, n, stream);  // only the scan thread reads it
#else
    return std::fread(out, 1, n, stream);
#endif
}

}  // namespace

SectorReader::SectorReader(std::FILE* source, Opener open_single, std::uint8_t* buffer, std::size_t capacity)
    : source_(source),
      open_single_(std::move(open_single)),
      buffer_(buffer),
      capacity_(capacity / kSectorSize),
      bad_(new bool[capacity / kSectorSize]()) {}

SectorReader::~SectorReader() {
    if (single_ != nullptr) std::fclose(single_);
}

bool SectorReader::seek(std::uint64_t index) {
    std::clearerr(source_);
    if (::fseeko(source_, static_cast<off_t>(index * kSectorSize), SEEK_SET) != 0) return false;
    position_ = index;
    return true;
}

SectorReader::Got SectorReader::next(std::uint64_t index, std::uint64_t end, const std::uint8_t*& sector) {
    if (index < first_ || index >= first_ + count_) {
        if (ended_) return Got::end;
        fill(index, end);
        if (index >= first_ + count_) return Got::end;
    }
    const std::uint64_t i = index - first_;
    sector = buffer_ + i * kSectorSize;
    return bad_[i] ? Got::unreadable : Got::sector;
}

void SectorReader::fill(std::uint64_t index, std::uint64_t end) {
    first_ = index;
    count_ = 0;
    const std::uint64_t want = std::min<std::uint64_t>(capacity_, end - index);
    if (want == 0) return;
    if (position_ != index && !seek(index)) {
        ended_ = true;
        return;
    }
    errno = 0;
    const std::size_t got = read_bytes(source_, buffer_, want * kSectorSize);
    const int error = errno;
    std::memset(bad_.get(), 0, want);
    count_ = got / kSectorSize;
    position_ = index + count_;
    if (count_ == want) return;

    if (std::feof(source_) && !std::ferror(source_)) {
        // The source ends here. A last part that is not a whole sector is still
        // data: it is given as a sector padded with zeros.
        if (got % kSectorSize != 0) {
            std::memset(buffer_ + got, 0, kSectorSize - got % kSectorSize);
            ++count_;
        }
        ended_ = true;
        return;
    }
    if (source_gone(error)) {
        ended_ = true;
        return;
    }
    // A read failed somewhere in the range: what came whole is kept, the rest is
    // read one sector at a time to find the bad ones.
    position_ = UINT64_MAX;
    if (single_ == nullptr && open_single_) single_ = open_single_();
    for (std::uint64_t s = count_; s < want; ++s) {
        bool bad = false;
        if (!read_one(index + s, buffer_ + s * kSectorSize, bad)) {
            ended_ = true;
            return;
        }
        bad_[s] = bad;
        count_ = s + 1;
    }
}

bool SectorReader::read_one(std::uint64_t index, std::uint8_t* out, bool& bad) {
    std::FILE* const stream = single_ != nullptr ? single_ : source_;
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::clearerr(stream);
        if (::fseeko(stream, static_cast<off_t>(index * kSectorSize), SEEK_SET) != 0) return false;
        errno = 0;
        const std::size_t got = read_bytes(stream, out, kSectorSize);
        const int error = errno;
        if (got == kSectorSize) return true;
        if (std::feof(stream) && !std::ferror(stream)) {
            if (got == 0) return false;
            std::memset(out + got, 0, kSectorSize - got);
            ended_ = true;  // this partial sector is the last one
            return true;
        }
        if (source_gone(error)) return false;
    }
    std::memset(out, 0, kSectorSize);
    if (unreadable_++ == 0) first_unreadable_ = index;
    bad = true;
    return true;
}

bool is_blank(const std::uint8_t* sector) {
    static const std::uint8_t zeros[kSectorSize] = {};
    return std::memcmp(sector, zeros, kSectorSize) == 0;
}

}  // namespace salvex
