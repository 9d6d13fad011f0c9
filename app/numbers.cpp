#include "app/numbers.h"

#include <limits>

namespace salvex {

namespace {

constexpr std::uint64_t kLargest = std::numeric_limits<std::uint64_t>::max();
constexpr std::uint64_t kSignedLargest = std::numeric_limits<std::int64_t>::max();

// The value of a digit in the base, or -1.
int digit_value(char c, int base) {
    int v = -1;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'a' && c <= 'z') v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'Z') v = c - 'A' + 10;
    return v < base ? v : -1;
}

// The C library's blanks; the program runs with no locale that adds others below 0x80.
bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Appends a digit; false when the value would not fit.
bool push_digit(std::uint64_t& value, int digit, int base) {
    const auto b = static_cast<std::uint64_t>(base), d = static_cast<std::uint64_t>(digit);
    if (value > (kLargest - d) / b) return false;
    value = value * b + d;
    return true;
}

}  // namespace

std::optional<std::uint64_t> parse_digits(std::string_view text, int base) {
    if (text.empty() || base < 2 || base > 36) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        const int d = digit_value(c, base);
        if (d < 0 || !push_digit(value, d, base)) return std::nullopt;
    }
    return value;
}

std::optional<std::int64_t> parse_signed_digits(std::string_view text) {
    const bool negative = text.starts_with('-');
    if (negative) text.remove_prefix(1);
    const auto magnitude = parse_digits(text);
    if (!magnitude || *magnitude > kSignedLargest + (negative ? 1 : 0)) return std::nullopt;
    return negative ? static_cast<std::int64_t>(0 - *magnitude) : static_cast<std::int64_t>(*magnitude);
}

LeadingNumber leading_number(std::string_view text) {
    LeadingNumber n;
    std::size_t i = 0;
    while (i < text.size() && is_blank(text[i])) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) n.negative = text[i++] == '-';
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        n.found = true;
        n.end = i + 1;
        if (!n.too_large && !push_digit(n.magnitude, text[i] - '0', 10)) {
            n.too_large = true;
            n.magnitude = kLargest;
        }
    }
    if (!n.found) n.negative = false;
    return n;
}

std::int64_t LeadingNumber::as_signed() const {
    if (negative)
        return too_large || magnitude > kSignedLargest ? std::numeric_limits<std::int64_t>::min()
                                                       : static_cast<std::int64_t>(0 - magnitude);
    return magnitude > kSignedLargest ? std::numeric_limits<std::int64_t>::max() : static_cast<std::int64_t>(magnitude);
}

std::uint64_t LeadingNumber::as_unsigned() const {
    if (too_large) return kLargest;
    return negative ? 0 - magnitude : magnitude;
}

}  // namespace salvex
