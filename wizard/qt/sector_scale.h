#pragma once
// Sliders and progress bars hold an int, sector numbers need 64 bits. A scale
// maps a 64-bit range onto int positions: one to one while the span fits, so every
// sector can be reached, and proportionally beyond, with both ends always exact.
#include <cstdint>

namespace salvex::gui {

class SectorScale {
public:
    // Beyond this many sectors a position stands for several of them.
    static constexpr int kMaxSteps = 1 << 30;

    void set_range(std::uint64_t minimum, std::uint64_t maximum);
    std::uint64_t minimum() const { return minimum_; }
    std::uint64_t maximum() const { return maximum_; }
    int steps() const { return steps_; }

    std::uint64_t clamp(std::uint64_t value) const;
    // The position showing a value (values outside the range are clamped first).
    int to_position(std::uint64_t value) const;
    // The smallest value shown at a position; position 0 and steps() give the two ends.
    std::uint64_t to_value(int position) const;

private:
    std::uint64_t minimum_ = 0, maximum_ = 0;
    int steps_ = 0;
};

}  // namespace salvex::gui
