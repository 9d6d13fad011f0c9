// SQLite: the header's page count is trusted only while the change counter
// equals the "version valid for" number (older writers leave a stale count);
// the file is then exactly that many pages.
#include <string_view>

#include "engine/finish/units.h"

namespace salvex::finish {

Verdict check_sqlite(ByteSource& run, std::string_view type) {
    if (type != "sqlite") return rejected();
    if (!bytes_are(run, 0, std::string_view("SQLite format 3\0", 16))) return rejected();
    std::uint8_t h[100];
    if (!run.read_exact(0, h, sizeof h)) return unknown();
    const auto be32 = [&h](int i) {
        return std::uint32_t{h[i]} << 24 | std::uint32_t{h[i + 1]} << 16 | std::uint32_t{h[i + 2]} << 8 | h[i + 3];
    };
    const unsigned raw = h[16] << 8 | h[17];
    const std::uint64_t page = raw == 1 ? 65536 : raw;
    // A page size that is no power of two in 512..65536, or payload fractions
    // other than the fixed 64/32/32, mean a damaged header.
    if (page < 512 || page > 65536 || (page & (page - 1)) != 0 || h[21] != 64 || h[22] != 32 || h[23] != 32)
        return unknown();
    const std::uint32_t pages = be32(28);
    if (pages == 0 || be32(24) != be32(92)) return confirmed(0);
    const std::uint64_t end = pages * page;
    return confirmed(end <= run.size() ? end : 0);
}

}  // namespace salvex::finish
