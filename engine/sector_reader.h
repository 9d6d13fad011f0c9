#pragma once
// Reading the source one sector after the other in big reads. Every sector handed
// out was read from the place it claims: a bulk read that fails is redone sector
// by sector over its range, a sector that fails twice is given as 512 zero bytes
// (so the sectors after it keep their places), and the source ending early (a
// card pulled, an image cut short) ends the reading, never repeats a sector.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>

#include "engine/header_match.h"

namespace salvex {

class SectorReader {
public:
    enum class Got { sector, unreadable, end };

    // `buffer` holds `capacity` bytes. `open_single` opens the source again with
    // a buffer of one sector, so that a read of one sector asks for one sector:
    // it serves the sector-by-sector reading after a bulk read failed.
    using Opener = std::function<std::FILE*()>;
    SectorReader(std::FILE* source, Opener open_single, std::uint8_t* buffer, std::size_t capacity);
    ~SectorReader();
    SectorReader(const SectorReader&) = delete;
    SectorReader& operator=(const SectorReader&) = delete;

    // The sector at `index`, asked in increasing order; `end` bounds the reading.
    // On unreadable, `sector` points at zeros.
    Got next(std::uint64_t index, std::uint64_t end, const std::uint8_t*& sector);

    std::uint64_t unreadable() const { return unreadable_; }
    std::uint64_t first_unreadable() const { return first_unreadable_; }

private:
    void fill(std::uint64_t index, std::uint64_t end);
    // One sector into `out`, retried once; false when the source has ended.
    bool read_one(std::uint64_t index, std::uint8_t* out, bool& bad);
    bool seek(std::uint64_t index);

    std::FILE* source_;
    Opener open_single_;
    std::FILE* single_ = nullptr;
    std::uint8_t* buffer_;
    std::size_t capacity_;  // in sectors
    std::unique_ptr<bool[]> bad_;
    std::uint64_t first_ = 0, count_ = 0;  // sectors held in the buffer
    std::uint64_t position_ = UINT64_MAX;  // where the stream stands, in sectors; unknown at first
    bool ended_ = false;
    std::uint64_t unreadable_ = 0, first_unreadable_ = 0;
};

// A sector of zeros is blank: it starts no file.
bool is_blank(const std::uint8_t* sector);

}  // namespace salvex
