// RIFF files: WebP, AVI and WAV. The form type names the sub-type; the RIFF size
// gives the end, trusted only when the chunks inside tile it exactly. An OpenDML
// AVI goes on in further RIFF 'AVIX' chunks; an RF64/BW64 WAV keeps its real sizes
// in the ds64 chunk.
#include <cstring>

#include "engine/finish/containers_common.h"
#include "engine/finish/units.h"

namespace salvex::finish {

using containers::chunks_tile;

Verdict check_riff(ByteSource& run, std::string_view type) {
    const char* form = type == "webp" ? "WEBP" : type == "avi" ? "AVI " : type == "wav" ? "WAVE" : nullptr;
    if (form == nullptr) return rejected();

    char head[12];
    const std::size_t got = run.read(0, head, sizeof head);
    if (got < 4) return rejected();
    const bool riff = std::memcmp(head, "RIFF", 4) == 0, rifx = std::memcmp(head, "RIFX", 4) == 0;
    const bool wide = std::memcmp(head, "RF64", 4) == 0 || std::memcmp(head, "BW64", 4) == 0;
    if (!riff && !rifx && !wide) return rejected();
    if (got < sizeof head || !containers::printable4(head + 8)) return unknown();
    if (std::memcmp(head + 8, form, 4) != 0) return rejected();
    if ((rifx || wide) && type != "wav") return rejected();

    const auto* h = reinterpret_cast<const std::uint8_t*>(head);
    std::uint64_t body = rifx ? containers::be32(h + 4) : containers::le32(h + 4);
    std::uint64_t wide_data = 0;
    if (wide) {
        std::uint32_t ds64_size = 0;
        if (!bytes_are(run, 12, "ds64") || !u32le(run, 16, ds64_size) || ds64_size < 16 ||
            !u64le(run, 20, body) || !u64le(run, 28, wide_data))
            return confirmed();
    }
    // Too small to hold a chunk (a zeroed field), or longer than the run (cut, or
    // a stream whose sizes were never filled in).
    if (body < 12 || body > run.size() - 8) return confirmed();
    std::uint64_t end = 8 + body;
    if (!chunks_tile(run, 12, end, rifx, wide_data)) return confirmed();

    if (type == "avi") {
        constexpr int kMaxParts = 65536;
        for (int part = 0; part < kMaxParts && bytes_are(run, end, "RIFF") && bytes_are(run, end + 8, "AVIX"); ++part) {
            std::uint32_t size = 0;
            if (!u32le(run, end + 4, size) || size < 12 || size > run.size() - end - 8) return confirmed();
            if (!chunks_tile(run, end + 12, end + 8 + size, false)) return confirmed();
            end += 8 + std::uint64_t{size};
        }
    }
    return confirmed(end);
}

}  // namespace salvex::finish
