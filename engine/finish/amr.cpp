// AMR ("#!AMR\n", narrowband) and AMR-WB ("#!AMR-WB\n", wideband) storage files:
// after the magic, frames whose first byte gives the frame type, and the type
// its size. Nothing marks the end, so the file ends where the next byte is not
// a frame header (padding bits set, a reserved type, or a zero byte: slack, not
// speech). Bytes that happen to read as frames after the end can lengthen the
// file by a frame or two; that cannot be told from the stream. A stretch that is
// followed shortly by a long run of frames again is taken for damage.
#include <array>

#include "engine/finish/streams_common.h"
#include "engine/finish/units.h"

namespace salvex::finish {

namespace {

// Frame sizes with the header byte, by frame type; 0 for reserved types.
constexpr std::array<std::uint8_t, 16> kNarrow = {13, 14, 16, 18, 20, 21, 27, 32, 6, 0, 0, 0, 0, 0, 0, 1};
constexpr std::array<std::uint8_t, 16> kWide = {18, 24, 33, 37, 41, 47, 51, 59, 61, 6, 0, 0, 0, 0, 1, 1};

unsigned frame_size(std::uint8_t header, const std::array<std::uint8_t, 16>& sizes) {
    if (header == 0 || (header & 0x83) != 0) return 0;
    return sizes[header >> 3 & 15];
}

}  // namespace

Verdict check_amr(ByteSource& run, std::string_view type) {
    if (type != "amr" && type != "awb") return rejected();
    const bool wide = type == "awb";
    if (bytes_are(run, 0, "#!AMR_MC1.0\n") || bytes_are(run, 0, "#!AMR-WB_MC1.0\n")) {
        // Multichannel storage: same family, frames interleaved per channel.
        return bytes_are(run, 0, wide ? "#!AMR-WB_MC1.0\n" : "#!AMR_MC1.0\n") ? confirmed() : rejected();
    }
    const std::string_view magic = wide ? "#!AMR-WB\n" : "#!AMR\n";
    if (!bytes_are(run, 0, magic)) return rejected();
    const auto& sizes = wide ? kWide : kNarrow;

    streams::Window w(run);
    // Frames from pos while they fit the run: how many, and where they stop.
    const auto walk = [&](std::uint64_t pos, std::uint64_t cap, std::uint64_t& frames) {
        frames = 0;
        while (frames < cap) {
            const std::uint8_t* b = w.at(pos, 1);
            const unsigned size = b != nullptr ? frame_size(*b, sizes) : 0;
            if (size == 0 || size > run.size() - pos) break;
            pos += size;
            ++frames;
        }
        return pos;
    };
    std::uint64_t frames = 0;
    const std::uint64_t end = walk(magic.size(), ~std::uint64_t{0}, frames);
    const std::uint8_t* next = w.at(end, 1);
    // The run ends at, or inside, a frame: the file may go on past it.
    if (next == nullptr || frame_size(*next, sizes) != 0) return confirmed();
    if (frames == 0) return confirmed();
    constexpr std::uint64_t kReach = 256, kResume = 6;
    for (std::uint64_t at = end + 1; at <= end + kReach && at < run.size(); ++at) {
        std::uint64_t n = 0;
        walk(at, kResume, n);
        if (n == kResume) return confirmed();
    }
    return confirmed(end);
}

}  // namespace salvex::finish
