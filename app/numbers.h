#pragma once
// Reading whole numbers out of text: the one place the program does it. Two
// ways: strict, where the text must be the number and nothing else, and the
// lenient way the C library reads a number at the start of a text, which the
// program's older readers follow and must keep following.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace salvex {

// The whole text as a number: digits of the base only (16 takes a-f and A-F),
// no blanks, sign or "0x". Nothing when it is empty, holds anything else, or
// does not fit in 64 bits.
std::optional<std::uint64_t> parse_digits(std::string_view text, int base = 10);

// The same with an optional minus first, within the range of a signed 64-bit number.
std::optional<std::int64_t> parse_signed_digits(std::string_view text);

// The decimal number a text begins with: blanks skipped, then one sign and the
// digits that follow it; the rest of the text is not looked at.
struct LeadingNumber {
    bool found = false;           // digits followed the blanks and the sign
    bool negative = false;        // the sign was a minus
    bool too_large = false;       // the digits do not fit in 64 bits
    std::uint64_t magnitude = 0;  // the largest value when too large; 0 without digits
    std::size_t end = 0;          // just past the last digit; 0 without digits

    // As strtoll reads it: the nearest end of the range when it does not fit.
    std::int64_t as_signed() const;
    // As strtoull reads it: a minus counts back from 2^64, and a number that
    // does not fit gives the largest value.
    std::uint64_t as_unsigned() const;
};
LeadingNumber leading_number(std::string_view text);

}  // namespace salvex
