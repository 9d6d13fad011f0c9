#include "wizard/qt/sector_scale.h"

namespace salvex::gui {

namespace {
// Products of a 64-bit span and a position need more than 64 bits.
__extension__ typedef unsigned __int128 Wide;
}  // namespace

void SectorScale::set_range(std::uint64_t minimum, std::uint64_t maximum) {
    minimum_ = minimum;
    maximum_ = maximum < minimum ? minimum : maximum;
    const std::uint64_t span = maximum_ - minimum_;
    steps_ = span <= static_cast<std::uint64_t>(kMaxSteps) ? static_cast<int>(span) : kMaxSteps;
}

std::uint64_t SectorScale::clamp(std::uint64_t value) const {
    return value < minimum_ ? minimum_ : value > maximum_ ? maximum_ : value;
}

int SectorScale::to_position(std::uint64_t value) const {
    const std::uint64_t offset = clamp(value) - minimum_;
    const std::uint64_t span = maximum_ - minimum_;
    if (span == static_cast<std::uint64_t>(steps_)) return static_cast<int>(offset);
    return static_cast<int>(Wide{offset} * static_cast<unsigned>(steps_) / span);
}

std::uint64_t SectorScale::to_value(int position) const {
    if (position <= 0) return minimum_;
    if (position >= steps_) return maximum_;
    const std::uint64_t span = maximum_ - minimum_;
    if (span == static_cast<std::uint64_t>(steps_)) return minimum_ + static_cast<std::uint64_t>(position);
    // Rounded up, so that to_position gives the same position back.
    const Wide scaled = Wide{span} * static_cast<unsigned>(position);
    const Wide steps = static_cast<unsigned>(steps_);
    return minimum_ + static_cast<std::uint64_t>((scaled + steps - 1) / steps);
}

}  // namespace salvex::gui
