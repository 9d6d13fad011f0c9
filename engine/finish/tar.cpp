// tar: 512-byte headers, each proved by its checksum, each followed by its data
// rounded up to 512, to the two zero blocks that close the archive. The file
// ends after them; the padding to the writer's record size is left out.
#include <cstring>
#include <string_view>

#include "engine/finish/units.h"

namespace salvex::finish {
namespace {

constexpr std::uint64_t kBlock = 512;

// An octal field (spaces and NULs around the digits), or base-256 when the top
// bit of the first byte is set.
bool number(const std::uint8_t* f, int length, std::uint64_t& v) {
    v = 0;
    if ((f[0] & 0x80) != 0) {
        for (int i = 1; i < length; ++i) {
            if (v >> 55 != 0) return false;
            v = v << 8 | f[i];
        }
        return (f[0] & 0x7F) == 0;
    }
    int i = 0;
    while (i < length && (f[i] == ' ' || f[i] == 0)) ++i;
    if (i == length) return true;
    for (; i < length && f[i] >= '0' && f[i] <= '7'; ++i) v = v << 3 | static_cast<std::uint64_t>(f[i] - '0');
    for (; i < length; ++i)
        if (f[i] != ' ' && f[i] != 0) return false;
    return true;
}

// The stored checksum equals the sum of the block with its own field as spaces
// (unsigned, or signed as some old writers summed).
bool checksum_holds(const std::uint8_t* b) {
    std::uint64_t stored;
    if (!number(b + 148, 8, stored)) return false;
    std::uint64_t sum = 8 * ' ';
    std::int64_t signed_sum = 8 * ' ';
    for (std::uint64_t i = 0; i < kBlock; ++i) {
        if (i >= 148 && i < 156) continue;
        sum += b[i];
        signed_sum += static_cast<signed char>(b[i]);
    }
    return stored == sum || static_cast<std::int64_t>(stored) == signed_sum;
}

bool zero(const std::uint8_t* b) {
    for (std::uint64_t i = 0; i < kBlock; ++i)
        if (b[i] != 0) return false;
    return true;
}

}  // namespace

Verdict check_tar(ByteSource& run, std::string_view type) {
    if (type != "tar") return rejected();
    std::uint8_t b[kBlock];
    if (!run.read_exact(0, b, kBlock)) return rejected();
    // A damaged first header that still says "ustar" is a tar we cannot read.
    if (!checksum_holds(b)) return std::memcmp(b + 257, "ustar", 5) == 0 ? unknown() : rejected();
    for (std::uint64_t at = 0;;) {
        if (!run.read_exact(at, b, kBlock)) return confirmed(0);
        if (zero(b)) {
            if (!run.read_exact(at + kBlock, b, kBlock) || !zero(b)) return confirmed(0);
            return confirmed(at + 2 * kBlock);
        }
        std::uint64_t size;
        if (!checksum_holds(b) || !number(b + 124, 12, size) || size > run.size()) return confirmed(0);
        // Links, devices, directories and fifos have no data blocks.
        const bool data = b[156] < '1' || b[156] > '6';
        at += kBlock + (data ? (size + kBlock - 1) / kBlock * kBlock : 0);
    }
}

}  // namespace salvex::finish
