// CRW (CIFF): the root heap's record table is found only through the heap's last
// four bytes, the file's end, so nothing read forward proves where it ends.
#include "engine/finish/units.h"

namespace salvex::finish {

Verdict check_crw(ByteSource& run, std::string_view type) {
    if (type != "crw") return rejected();
    const bool le = bytes_are(run, 0, "II");
    if (!le && !bytes_are(run, 0, "MM")) return rejected();
    if (!bytes_are(run, 6, "HEAPCCDR")) return rejected();
    std::uint32_t header = 0;
    if (!(le ? u32le(run, 2, header) : u32be(run, 2, header)) || header < 14 || header > 512) return unknown();
    return confirmed(0);
}

}  // namespace salvex::finish
