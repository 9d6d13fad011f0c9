// Matroska and WebM: the EBML header's DocType names the type, the Segment that
// follows holds everything else. A Segment of known size ends the file, trusted
// when its top-level elements tile it; one of unknown size (a live recording)
// ends where its top-level elements, walked by their sizes, stop.
#include <array>
#include <cstring>

#include "engine/finish/units.h"

namespace salvex::finish {
namespace {

constexpr std::uint32_t kEbml = 0x1A45DFA3, kDocType = 0x4282, kSegment = 0x18538067, kInfo = 0x1549A966,
                        kCluster = 0x1F43B675, kVoid = 0xEC, kCrc32 = 0xBF;

bool level1(std::uint32_t id) {
    switch (id) {
    case 0x114D9B74: case kInfo: case 0x1654AE6B: case 0x1C53BB6B: case 0x1043A770:
    case 0x1254C367: case 0x1941A469: case kCluster: case kVoid: case kCrc32:
        return true;
    default:
        return false;
    }
}

// What may sit directly in a Cluster, for clusters of unknown size.
bool cluster_child(std::uint32_t id) {
    switch (id) {
    case 0xE7: case 0x5854: case 0xA7: case 0xAB: case 0xA3: case 0xA0: case 0xAF:
        return true;
    default:
        return false;
    }
}

struct Element {
    std::uint32_t id = 0;
    std::uint64_t size = 0;
    unsigned header = 0;
    bool unknown_size = false;
};

// The element header at pos; false when no valid ID and size can be read.
bool element(ByteSource& run, std::uint64_t pos, Element& e) {
    std::uint8_t b[12];
    const std::size_t got = run.read(pos, b, sizeof b);
    if (got == 0 || b[0] < 0x10) return false;
    const unsigned id_len = b[0] >= 0x80 ? 1 : b[0] >= 0x40 ? 2 : b[0] >= 0x20 ? 3 : 4;
    if (got < id_len + 1) return false;
    e.id = 0;
    for (unsigned i = 0; i < id_len; ++i) e.id = e.id << 8 | b[i];
    const std::uint8_t first = b[id_len];
    if (first == 0) return false;
    unsigned len = 1;
    while (!(first & (0x80 >> (len - 1)))) ++len;
    if (got < id_len + len) return false;
    std::uint64_t value = first & (0xFF >> len);
    bool all_ones = value == (0xFFu >> len);
    for (unsigned i = 1; i < len; ++i) {
        value = value << 8 | b[id_len + i];
        all_ones = all_ones && b[id_len + i] == 0xFF;
    }
    e.size = value;
    e.unknown_size = all_ones;
    e.header = id_len + len;
    return true;
}

enum class Stop { clean, overrun };

// Walks top-level elements from pos while they are what a Segment holds and fit
// before limit; pos ends at the first that is not (or at limit).
Stop walk(ByteSource& run, std::uint64_t& pos, std::uint64_t limit, bool& info, bool& clusters) {
    constexpr int kMaxElements = 1 << 22;
    bool in_open_cluster = false;
    for (int count = 0; count < kMaxElements && pos < limit; ++count) {
        Element e;
        if (!element(run, pos, e)) return Stop::clean;
        const bool anywhere = e.id == kVoid || e.id == kCrc32;
        if (level1(e.id) && !anywhere) {
            in_open_cluster = false;
            if (e.unknown_size) {
                if (e.id != kCluster) return Stop::overrun;
                in_open_cluster = clusters = true;
                pos += e.header;
                continue;
            }
            info |= e.id == kInfo;
            clusters |= e.id == kCluster;
        } else if (!anywhere && !(in_open_cluster && cluster_child(e.id))) {
            return Stop::clean;
        } else if (e.unknown_size) {
            return Stop::overrun;
        }
        if (e.size > limit - pos || e.header > limit - pos - e.size) return Stop::overrun;
        pos += e.header + e.size;
    }
    return pos == limit ? Stop::clean : Stop::overrun;
}

}  // namespace

Verdict check_ebml(ByteSource& run, std::string_view type) {
    if (type != "mkv" && type != "webm") return rejected();
    Element head;
    if (!element(run, 0, head) || head.id != kEbml) return rejected();
    if (head.unknown_size || head.size > 4096) return unknown();

    // The DocType among the header's children.
    const std::uint64_t header_end = head.header + head.size;
    std::array<char, 32> doc{};
    std::size_t doc_len = 0;
    bool found = false;
    for (std::uint64_t pos = head.header; pos < header_end;) {
        Element e;
        if (!element(run, pos, e) || e.unknown_size || e.header > header_end - pos ||
            e.size > header_end - pos - e.header)
            return unknown();
        if (e.id == kDocType) {
            if (e.size > doc.size() || !run.read_exact(pos + e.header, doc.data(), e.size)) return unknown();
            doc_len = e.size;
            while (doc_len > 0 && doc[doc_len - 1] == '\0') --doc_len;
            found = true;
        }
        pos += e.header + e.size;
    }
    if (!found) return unknown();
    const std::string_view doc_type(doc.data(), doc_len);
    if (doc_type != (type == "mkv" ? "matroska" : "webm")) return rejected();

    Element segment;
    if (!element(run, header_end, segment) || segment.id != kSegment) return confirmed();
    const std::uint64_t data = header_end + segment.header;
    bool info = false, clusters = false;
    std::uint64_t pos = data;
    if (segment.unknown_size) {
        // Without its Info and media, the walk stopped at damage, not at the end.
        if (walk(run, pos, run.size(), info, clusters) != Stop::clean || !clusters) return confirmed();
    } else {
        if (segment.size > run.size() - data) return confirmed();  // cut by the run's end
        const std::uint64_t end = data + segment.size;
        if (walk(run, pos, end, info, clusters) != Stop::clean || pos != end) return confirmed();
    }
    return info ? confirmed(pos) : confirmed();
}

}  // namespace salvex::finish
