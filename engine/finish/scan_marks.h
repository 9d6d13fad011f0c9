#pragma once
// Where a run holds 0xFF followed by a byte other than 0x00 or a restart code:
// the only places where a JPEG scan's entropy-coded data can end. The engine
// notes them from the sectors it already holds while it writes a run, so that
// finding where each scan ends needs no read-back of the scan data, which is
// nearly all of a photo's bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace salvex::finish {

class ScanMarks {
public:
    static constexpr std::uint64_t none = ~std::uint64_t{0};

    ScanMarks();
    // A new run; the memory of the last one is kept.
    void restart();
    // The run's next n bytes, exactly as written.
    void feed(const std::uint8_t* bytes, std::size_t n);

    // Bytes fed since the restart.
    std::uint64_t fed() const { return fed_; }
    // False when the run held more marks than are kept (a run of 0xFF bytes):
    // its scans are then searched the slow way.
    bool complete() const { return !overflowed_; }
    // The first mark at or after offset, or none.
    std::uint64_t first_from(std::uint64_t offset) const;

private:
    void note(std::uint64_t offset);

    std::vector<std::uint64_t> marks_;
    std::uint64_t fed_ = 0;
    bool last_was_ff_ = false;
    bool overflowed_ = false;
};

}  // namespace salvex::finish
