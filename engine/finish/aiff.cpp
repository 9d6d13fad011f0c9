// AIFF and AIFF-C: an IFF FORM whose form type names the sub-type. The FORM size
// gives the end, trusted only when the chunks inside tile it exactly.
#include <cstring>

#include "engine/finish/containers_common.h"
#include "engine/finish/units.h"

namespace salvex::finish {

Verdict check_aiff(ByteSource& run, std::string_view type) {
    const char* form = type == "aiff" ? "AIFF" : type == "aifc" ? "AIFC" : nullptr;
    if (form == nullptr) return rejected();

    std::uint8_t head[12];
    const std::size_t got = run.read(0, head, sizeof head);
    if (got < 4 || std::memcmp(head, "FORM", 4) != 0) return rejected();
    if (got < sizeof head || !containers::printable4(head + 8)) return unknown();
    if (std::memcmp(head + 8, form, 4) != 0) return rejected();

    const std::uint64_t body = containers::be32(head + 4);
    if (body < 12 || body > run.size() - 8) return confirmed();  // zeroed, or cut
    const std::uint64_t end = 8 + body;
    return containers::chunks_tile(run, 12, end, true) ? confirmed(end) : confirmed();
}

}  // namespace salvex::finish
