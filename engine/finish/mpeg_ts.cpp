// MPEG transport streams: 188-byte packets ("ts") or 192-byte packets with a
// 4-byte timestamp before each (AVCHD "mts"/"m2ts"). Packets carry no lengths
// beyond their fixed size, so the file ends after the last packet whose sync
// byte is in place and whose header is sound (no error flag, a payload or an
// adaptation field, a stream already seen): one 0x47 byte in what follows is no
// packet. A packet or two with a damaged sync byte does not end it when the
// syncs come back in a row right after.
#include <array>
#include <cstring>

#include "engine/finish/streams_common.h"
#include "engine/finish/units.h"

namespace salvex::finish {

Verdict check_mpeg_ts(ByteSource& run, std::string_view type) {
    if (type != "ts" && type != "mts" && type != "m2ts") return rejected();
    const std::uint64_t stride = type == "ts" ? 188 : 192, sync = stride - 188;
    constexpr std::uint8_t kSync = 0x47;
    // Syncs that must be in place at the start, and again after a gap.
    constexpr std::uint64_t kAgree = 3;
    constexpr std::uint64_t kMaxGap = 4;

    streams::Window w(run);
    // Where each stream (PID) first shows up: a last packet of a stream never seen
    // before it is a stray 0x47 in what follows, not the file's end.
    std::array<std::uint64_t, 8192> first_seen;
    first_seen.fill(UINT64_MAX);
    const auto pid_of = [&](std::uint64_t packet) -> std::size_t {
        const std::uint8_t* b = w.at(packet * stride + sync, 4);
        return b == nullptr ? 0 : static_cast<std::size_t>((b[1] & 0x1F) << 8 | b[2]);
    };
    const auto synced = [&](std::uint64_t packet) {
        const std::uint8_t* b = w.at(packet * stride + sync, 4);
        if (b == nullptr || b[0] != kSync || (b[1] & 0x80) != 0 || (b[3] & 0x30) == 0) return false;
        const std::size_t pid = static_cast<std::size_t>((b[1] & 0x1F) << 8 | b[2]);
        if (first_seen[pid] > packet) first_seen[pid] = packet;
        return true;
    };
    const std::uint64_t whole = run.size() / stride;  // packets the run holds completely
    const std::uint64_t head = whole < kAgree ? whole : kAgree;
    if (head == 0 || !synced(0)) return rejected();
    for (std::uint64_t i = 1; i < head; ++i)
        if (!synced(i)) return rejected();

    std::uint64_t last = 0;  // packets up to the last one in sync
    std::uint64_t i = 0;
    while (i < whole) {
        if (synced(i)) {
            last = ++i;
            continue;
        }
        // A gap: the stream goes on only if kAgree syncs in a row follow it soon.
        std::uint64_t resume = i + 1;
        while (resume < whole && resume - i <= kMaxGap && !synced(resume)) ++resume;
        if (resume >= whole || resume - i > kMaxGap) break;
        std::uint64_t k = 1;
        while (k < kAgree && resume + k < whole && synced(resume + k)) ++k;
        if (k < kAgree && resume + k < whole) break;
        i = resume;
    }
    while (last > head && first_seen[pid_of(last - 1)] == last - 1) --last;
    if (last < whole) return confirmed(last * stride);
    // In sync to the last whole packet: the stream may go on past the run, unless
    // the few bytes left after it visibly do not start a packet.
    const std::uint8_t* b = w.at(whole * stride + sync, 1);
    return b != nullptr && *b != kSync ? confirmed(whole * stride) : confirmed();
}

}  // namespace salvex::finish
