// ISO base media files (MP4, QuickTime and their kin, HEIF, CR3). The ftyp major
// brand names the one type a file is; a QuickTime movie from before ftyp existed
// is a mov when its top-level boxes hold a moov. The file ends after its last
// top-level box: the walk stops at the first box whose type no file puts at the
// top level (or a second ftyp: the next file), or at the run's end.
#include <array>
#include <cstring>
#include <initializer_list>

#include "engine/finish/containers_common.h"
#include "engine/finish/units.h"

namespace salvex::finish {
namespace {

constexpr std::array<std::string_view, 22> kTopLevel = {
    "ftyp", "moov", "mdat", "free", "skip", "wide", "uuid", "meta", "moof", "mfra", "styp",
    "sidx", "ssix", "prft", "pdin", "pnot", "udta", "emsg", "junk", "PICT", "meco", "bloc"};

bool top_level(const std::uint8_t* t) {
    for (const std::string_view k : kTopLevel)
        if (std::memcmp(t, k.data(), 4) == 0) return true;
    return false;
}

bool one_of(std::string_view brand, std::initializer_list<std::string_view> list) {
    for (const std::string_view b : list)
        if (brand == b) return true;
    return false;
}

bool heic_brand(std::string_view b) {
    return one_of(b, {"heic", "heix", "hevc", "hevx", "heim", "heis", "hevm", "hevs"});
}
bool avif_brand(std::string_view b) { return one_of(b, {"avif", "avis"}); }

// A structural HEIF brand leaves the coding to the compatible brands.
std::string_view heif_family(ByteSource& run, std::uint32_t ftyp_size) {
    for (std::uint64_t at = 16; at + 4 <= ftyp_size; at += 4) {
        char b[4];
        if (!run.read_exact(at, b, 4)) break;
        const std::string_view brand(b, 4);
        if (heic_brand(brand)) return "heic";
        if (avif_brand(brand)) return "avif";
    }
    return "heif";
}

std::string_view brand_type(ByteSource& run, std::string_view major, std::uint32_t ftyp_size) {
    if (major == "qt  ") return "mov";
    if (one_of(major, {"M4V ", "M4VH", "M4VP"})) return "m4v";
    if (one_of(major, {"M4A ", "M4P "})) return "m4a";
    if (major == "M4B ") return "m4b";
    if (major.substr(0, 3) == "3g2" || major == "kddi") return "3g2";
    if (major.substr(0, 2) == "3g") return "3gp";
    if (heic_brand(major)) return "heic";
    if (avif_brand(major)) return "avif";
    if (one_of(major, {"mif1", "msf1", "mif2", "miaf"})) return heif_family(run, ftyp_size);
    if (major == "avci") return "heif";
    if (major == "crx ") return "cr3";
    return "mp4";  // isom, iso2..iso9, mp41, mp42, avc1, dash, XAVC, MSNV and other video brands
}

// Whether the boxes in [begin, end) tile it, as a movie's or an image's boxes do
// (an old QuickTime list may close with a 32-bit zero): a damaged size shows here.
bool children_tile(ByteSource& run, std::uint64_t begin, std::uint64_t end) {
    std::uint64_t pos = begin;
    for (int count = 0; count < 4096 && end - pos >= 8; ++count) {
        std::uint8_t h[8];
        if (!run.read_exact(pos, h, 8) || !containers::printable4(h + 4)) return false;
        std::uint64_t size = containers::be32(h);
        if (size == 1 && (!u64be(run, pos + 8, size) || size < 16)) return false;
        if (size < 8 || size > end - pos) return false;
        pos += size;
    }
    std::uint32_t zero = 1;
    return pos == end || (end - pos == 4 && u32be(run, pos, zero) && zero == 0);
}

struct Seen {
    bool moov = false, meta = false, media = false;
};

// Offset just past the last top-level box, 0 when the walk proves none. No file
// holds two movies; without ftyp, a 'wide' after the movie and its media is the
// placeholder that opens the next file's mdat.
std::uint64_t walk(ByteSource& run, Seen& seen, bool bare) {
    constexpr int kMaxBoxes = 1 << 20;
    std::uint64_t pos = 0;
    for (int count = 0; count < kMaxBoxes; ++count) {
        std::uint8_t h[8];
        if (run.size() - pos < 8 || !run.read_exact(pos, h, 8)) return pos;
        const std::string_view t(reinterpret_cast<const char*>(h + 4), 4);
        if (!top_level(h + 4) || (pos != 0 && t == "ftyp") || (seen.moov && t == "moov") ||
            (bare && seen.moov && seen.media && t == "wide"))
            return pos;
        std::uint64_t size = containers::be32(h), header = 8;
        if (size == 1) {
            if (!u64be(run, pos + 8, size) || size < 16) return 0;
            header = 16;
        } else if (size < 8) {
            return 0;  // size 0 runs to the end of the file: nothing to prove
        }
        if (size > run.size() - pos) return 0;  // cut by the run's end
        // A meta is a full box in ISO files, a plain one in QuickTime.
        const std::uint64_t body = pos + header, end = pos + size;
        if (t == "moov" && !children_tile(run, body, end)) return 0;
        if (t == "meta" && !children_tile(run, body + 4, end) && !children_tile(run, body, end)) return 0;
        seen.moov |= t == "moov";
        seen.meta |= t == "meta";
        seen.media |= t == "mdat" || t == "moof";
        pos += size;
    }
    return 0;
}

}  // namespace

Verdict check_iso_bmff(ByteSource& run, std::string_view type) {
    if (!one_of(type, {"mp4", "mov", "m4v", "3gp", "3g2", "m4a", "m4b", "heic", "heif", "avif", "cr3"}))
        return rejected();

    std::uint8_t head[12];
    if (!run.read_exact(0, head, sizeof head)) return run.size() < sizeof head ? unknown() : rejected();
    const std::string_view first(reinterpret_cast<const char*>(head + 4), 4);
    const std::uint32_t first_size = containers::be32(head);
    Seen seen;

    if (first != "ftyp") {
        if (!one_of(first, {"moov", "mdat", "wide", "free", "skip", "pnot"}) || type != "mov") return rejected();
        const std::uint64_t end = walk(run, seen, true);
        if (!seen.moov) return first == "moov" ? confirmed() : unknown();
        return seen.media ? confirmed(end) : confirmed();
    }

    if (!containers::printable4(head + 8)) return unknown();
    const bool sane_ftyp = first_size >= 16 && first_size <= 4096;
    const std::string_view major(reinterpret_cast<const char*>(head + 8), 4);
    if (brand_type(run, major, sane_ftyp ? first_size : 0) != type) return rejected();
    if (!sane_ftyp) return confirmed();
    const std::uint64_t end = walk(run, seen, false);
    // Without its movie or an image's meta, and their media, the walk stopped early.
    const bool whole = (seen.moov || seen.meta) && seen.media;
    return whole ? confirmed(end) : confirmed();
}

}  // namespace salvex::finish
