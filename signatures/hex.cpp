#include "signatures/hex.h"

int hex2dec(std::string_view text) {
    if (text.empty()) return 0;
    const auto c = static_cast<unsigned char>(text.front());
    if (c >= '1' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

std::int32_t hex2int(std::string_view text) {
    // Unsigned arithmetic wraps where a signed sum would overflow; the cast back
    // gives the two's-complement value.
    std::uint32_t sum = 0;
    for (const char c : text) sum = sum * 16u + static_cast<std::uint32_t>(hex2dec(std::string_view(&c, 1)));
    return static_cast<std::int32_t>(sum);
}
