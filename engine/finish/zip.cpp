// ZIP and the formats built on it. The local entries are walked by their sizes
// (an entry written with a data descriptor is closed by the descriptor whose
// size matches the data before it), then the central directory, the ZIP64
// records and the end record with its comment. The sub-type comes from the
// entry names, or for ODF and EPUB from the stored "mimetype" first entry.
#include <array>
#include <cstring>
#include <string_view>
#include <vector>

#include "engine/finish/documents_common.h"
#include "engine/finish/units.h"

namespace salvex::finish {
namespace {

constexpr std::uint32_t kLocal = 0x04034b50, kCentral = 0x02014b50, kEnd = 0x06054b50;
constexpr std::uint32_t kEnd64 = 0x06064b50, kLocator64 = 0x07064b50, kSignature = 0x05054b50;
constexpr std::uint32_t kDescriptor = 0x08074b50;
constexpr std::uint64_t kMaxEntries = 1u << 22;

enum class Kind { zip, docx, xlsx, pptx, odt, ods, odp, epub, count };
constexpr std::array<std::string_view, static_cast<int>(Kind::count)> kTypes = {
    "zip", "docx", "xlsx", "pptx", "odt", "ods", "odp", "epub"};

struct Seen {
    bool first_read = false;   // the first entry's header and name are known
    bool all_names = false;    // every local entry was walked
    Kind first = Kind::zip;    // what the "mimetype" entry says
    bool word = false, xl = false, ppt = false;
};

bool starts(const char* name, std::size_t n, std::string_view prefix) {
    return n >= prefix.size() && std::memcmp(name, prefix.data(), prefix.size()) == 0;
}

// Whether a local header's extra field holds ZIP64 sizes; takes those the
// header marks as held there.
bool zip64_sizes(ByteSource& run, std::uint64_t extra, std::uint16_t length, std::uint64_t& usize,
                 std::uint64_t& csize) {
    for (std::uint64_t at = extra; at + 4 <= extra + length;) {
        std::uint16_t id, size;
        if (!u16le(run, at, id) || !u16le(run, at + 2, size)) return false;
        if (id == 1) {
            std::uint64_t field = at + 4;
            if (usize == 0xFFFFFFFF && u64le(run, field, usize)) field += 8;
            if (csize == 0xFFFFFFFF) u64le(run, field, csize);
            return true;
        }
        at += 4 + size;
    }
    return false;
}

// Where the data at `data` ends with its descriptor: the first descriptor
// (signed, or unsigned before the next header) whose size field matches. Its
// sizes are 8 bytes wide when the entry has ZIP64 sizes.
bool descriptor_end(ByteSource& run, std::uint64_t data, bool wide, std::uint64_t& next,
                    std::vector<std::uint8_t>& chunk) {
    const auto size_is = [&run, wide](std::uint64_t at, std::uint64_t expected) {
        std::uint32_t size32;
        std::uint64_t size64;
        return wide ? u64le(run, at, size64) && size64 == expected : u32le(run, at, size32) && size32 == expected;
    };
    const std::uint64_t sizes = wide ? 16 : 8;  // both size fields
    chunk.resize(documents::kChunk);
    for (std::uint64_t at = data; at < run.size();) {
        const std::size_t got = run.read(at, chunk.data(), chunk.size());
        if (got < 4) return false;
        for (std::size_t i = 0; i + 4 <= got; ++i) {
            if (chunk[i] != 'P' || chunk[i + 1] != 'K') continue;
            const std::uint64_t q = at + i;
            if (chunk[i + 2] == 7 && chunk[i + 3] == 8) {
                if (size_is(q + 8, q - data)) return next = q + 8 + sizes, true;
            } else if ((chunk[i + 2] == 3 && chunk[i + 3] == 4) || (chunk[i + 2] == 1 && chunk[i + 3] == 2)) {
                if (q >= data + 4 + sizes && size_is(q - sizes, q - 4 - sizes - data)) return next = q, true;
            }
        }
        if (got < chunk.size()) return false;
        at += got - 3;
    }
    return false;
}

// Walks the local entries from 0; returns where the first non-entry stands, or 0.
std::uint64_t walk_local(ByteSource& run, Seen& seen, std::uint64_t& entries) {
    std::uint64_t at = 0;
    std::uint32_t sig;
    std::vector<std::uint8_t> chunk;  // for descriptor searches, made on first need
    for (entries = 0; u32le(run, at, sig) && sig == kLocal; ++entries) {
        if (entries == kMaxEntries) return 0;
        std::uint8_t h[30];
        if (!run.read_exact(at, h, sizeof h)) return 0;
        using documents::le16, documents::le32;
        const std::uint16_t flags = le16(h + 6), method = le16(h + 8), name_length = le16(h + 26),
                            extra_length = le16(h + 28);
        std::uint64_t csize = le32(h + 18), usize = le32(h + 22);
        char name[16];
        const std::size_t take = name_length < sizeof name ? name_length : sizeof name;
        if (name_length == 0 || !run.read_exact(at + 30, name, take)) return 0;
        if (starts(name, take, "word/")) seen.word = true;
        if (starts(name, take, "xl/")) seen.xl = true;
        if (starts(name, take, "ppt/")) seen.ppt = true;
        const std::uint64_t data = at + 30 + name_length + extra_length;
        if (entries == 0) {
            seen.first_read = true;
            if (name_length == 8 && starts(name, take, "mimetype") && method == 0 && csize == usize && csize < 64) {
                char content[64];
                if (!run.read_exact(data, content, csize)) return 0;
                const std::string_view mime(content, csize);
                seen.first = mime == "application/vnd.oasis.opendocument.text"           ? Kind::odt
                             : mime == "application/vnd.oasis.opendocument.spreadsheet"  ? Kind::ods
                             : mime == "application/vnd.oasis.opendocument.presentation" ? Kind::odp
                             : mime == "application/epub+zip"                             ? Kind::epub
                                                                                          : Kind::zip;
            }
        }
        const bool wide = zip64_sizes(run, at + 30 + name_length, extra_length, usize, csize);
        std::uint64_t next = data + csize;
        if ((flags & 8) != 0) {
            std::uint32_t after;
            const bool header_size_holds = csize != 0 && !wide && u32le(run, data + csize, after) &&
                                           after == kDescriptor && u32le(run, data + csize + 8, after) &&
                                           after == csize;
            if (header_size_holds) next = data + csize + 16;
            else if (!descriptor_end(run, data, wide, next, chunk)) return 0;
        }
        if (next > run.size()) return 0;
        at = next;
    }
    // Only the central directory (or the end record of an empty one) may follow.
    if (!u32le(run, at, sig) || (sig != kCentral && sig != kEnd)) return 0;
    seen.all_names = true;
    return at;
}

// The end of the archive whose central directory starts at `cd`, or 0.
std::uint64_t walk_directory(ByteSource& run, std::uint64_t cd, std::uint64_t local_entries) {
    std::uint64_t at = cd, entries = 0;
    std::uint32_t sig;
    while (u32le(run, at, sig) && sig == kCentral) {
        std::uint16_t n, x, c;
        if (entries == kMaxEntries || !u16le(run, at + 28, n) || !u16le(run, at + 30, x) || !u16le(run, at + 32, c))
            return 0;
        if (entries == 0) {
            std::uint32_t first_local;
            if (!u32le(run, at + 42, first_local) || first_local != 0) return 0;
        }
        at += 46u + n + x + c;
        ++entries;
    }
    std::uint16_t length;
    if (u32le(run, at, sig) && sig == kSignature) {
        if (!u16le(run, at + 4, length)) return 0;
        at += 6u + length;
    }
    const std::uint64_t cd_size = at - cd;
    std::uint64_t total64 = 0, size64 = 0, offset64 = 0;
    bool has64 = false;
    if (u32le(run, at, sig) && sig == kEnd64) {
        std::uint64_t record;
        if (!u64le(run, at + 4, record) || !u64le(run, at + 32, total64) || !u64le(run, at + 40, size64) ||
            !u64le(run, at + 48, offset64) || record > run.size())
            return 0;
        has64 = true;
        at += 12 + record;
    }
    if (u32le(run, at, sig) && sig == kLocator64) at += 20;
    std::uint16_t total16, comment;
    std::uint32_t size32, offset32;
    if (!u32le(run, at, sig) || sig != kEnd || !u16le(run, at + 10, total16) || !u32le(run, at + 12, size32) ||
        !u32le(run, at + 16, offset32) || !u16le(run, at + 20, comment))
        return 0;
    const std::uint64_t total = total16 == 0xFFFF && has64 ? total64 : total16;
    const std::uint64_t size = size32 == 0xFFFFFFFF && has64 ? size64 : size32;
    const std::uint64_t offset = offset32 == 0xFFFFFFFF && has64 ? offset64 : offset32;
    if (total != entries || entries != local_entries || size != cd_size || offset != cd) return 0;
    const std::uint64_t end = at + 22 + comment;
    return end <= run.size() ? end : 0;
}

}  // namespace

Verdict check_zip(ByteSource& run, std::string_view type) {
    Kind asked = Kind::count;
    for (std::size_t i = 0; i < kTypes.size(); ++i)
        if (type == kTypes[i]) asked = static_cast<Kind>(i);
    if (asked == Kind::count) return rejected();
    std::uint32_t sig;
    if (!u32le(run, 0, sig) || (sig != kLocal && sig != kEnd)) return rejected();

    Seen seen;
    std::uint64_t entries = 0;
    const std::uint64_t cd = sig == kEnd ? 0 : walk_local(run, seen, entries);
    const std::uint64_t end = sig == kEnd || cd != 0 ? walk_directory(run, cd, entries) : 0;
    if (sig == kEnd) return asked == Kind::zip && end != 0 ? confirmed(end) : rejected();

    bool is = true;
    switch (asked) {
    case Kind::docx: is = seen.word; break;
    case Kind::xlsx: is = seen.xl; break;
    case Kind::pptx: is = seen.ppt; break;
    case Kind::odt: case Kind::ods: case Kind::odp: case Kind::epub:
        if (!seen.first_read) return unknown();
        is = seen.first == asked;
        break;
    default: break;
    }
    if (!is) return seen.all_names || asked >= Kind::odt ? rejected() : unknown();
    return confirmed(end);
}

}  // namespace salvex::finish
