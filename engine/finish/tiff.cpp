// TIFF and the raw formats built on it (CR2, ORF, RW2), classic and BigTIFF.
// The file ends at the furthest extent of anything its IFDs point at: the IFDs
// themselves, every out-of-line value, every strip, tile and JPEG thumbnail,
// following the IFD chain, SubIFDs and the EXIF, GPS and interoperability IFDs.
#include <array>
#include <cstring>
#include <vector>

#include "engine/finish/pictures_common.h"
#include "engine/finish/units.h"

namespace salvex::finish {
namespace {

using pictures::Window;

constexpr std::size_t kMaxIfds = 256;
constexpr std::uint64_t kMaxEntries = 4096;
constexpr std::uint64_t kMaxValues = 1u << 24;  // strips and tiles over the whole walk
constexpr std::uint64_t kMaxPointers = 64;      // SubIFDs named by one tag
constexpr std::size_t kMaxPending = 1024;
constexpr std::size_t kBatch = 1024;

std::uint64_t type_size(std::uint16_t type) {
    switch (type) {
        case 1: case 2: case 6: case 7: return 1;
        case 3: case 8: return 2;
        case 4: case 9: case 11: case 13: return 4;
        case 5: case 10: case 12: case 16: case 17: case 18: return 8;
        default: return 0;
    }
}

struct Entry {
    bool present = false;
    std::uint16_t type = 0;
    std::uint64_t count = 0;
    std::uint64_t where = 0;  // of the values: in the entry itself when they fit
};

// Tags whose values locate data; kept per IFD until all its entries are read.
enum Slot { strip_offsets, strip_counts, tile_offsets, tile_counts, jpeg_offset, jpeg_length, free_offsets,
            free_counts, raw_offset, slots };

int slot_of(std::uint16_t tag) {
    switch (tag) {
        case 273: return strip_offsets;
        case 279: return strip_counts;
        case 324: return tile_offsets;
        case 325: return tile_counts;
        case 513: return jpeg_offset;
        case 514: return jpeg_length;
        case 288: return free_offsets;
        case 289: return free_counts;
        case 0x118: return raw_offset;  // in RW2 the raw data start, also named by StripOffsets
        default: return -1;
    }
}

struct Walk {
    Window& w;
    bool le;
    bool big;
    bool rw2;
    std::uint64_t end;
    bool unproved = false;
    std::uint64_t budget = kMaxValues;
    std::vector<std::pair<std::uint64_t, bool>> pending = {};  // IFD offset, whether its chain is followed
    std::vector<std::uint64_t> seen = {};

    void reach(std::uint64_t extent) {
        if (extent > w.size()) unproved = true;
        else if (extent > end) end = extent;
    }

    // n values of a SHORT, LONG or LONG8 entry from index first on.
    bool values(const Entry& e, std::uint64_t first, std::size_t n, std::uint64_t* out) {
        const std::uint64_t size = type_size(e.type);
        if (e.type != 3 && e.type != 4 && e.type != 13 && e.type != 16 && e.type != 18) return false;
        std::array<std::uint8_t, kBatch * 8> bytes;
        if (!w.source().read_exact(e.where + first * size, bytes.data(), n * size)) return false;
        for (std::size_t i = 0; i < n; ++i) {
            std::uint64_t v = 0;
            for (std::uint64_t b = 0; b < size; ++b) {
                const std::uint64_t byte = bytes[i * size + b];
                v |= le ? byte << (8 * b) : byte << (8 * (size - 1 - b));
            }
            out[i] = v;
        }
        return true;
    }

    // Data named by an offsets tag and its byte counts tag.
    void extents(const Entry& offsets, const Entry& counts) {
        if (!offsets.present) return;
        if (!counts.present || counts.count != offsets.count || offsets.count > budget) {
            unproved = true;
            return;
        }
        budget -= offsets.count;
        std::array<std::uint64_t, kBatch> off, len;
        for (std::uint64_t i = 0; i < offsets.count && !unproved; i += kBatch) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kBatch, offsets.count - i));
            if (!values(offsets, i, n, off.data()) || !values(counts, i, n, len.data())) {
                unproved = true;
                return;
            }
            for (std::size_t k = 0; k < n; ++k) {
                if (len[k] == 0 && off[k] != 0) unproved = true;  // data of unknown size
                else if (len[k] != 0) reach(off[k] + len[k]);
            }
        }
    }

    void follow(const Entry& e, bool chain) {
        if (e.count > kMaxPointers) {
            unproved = true;
            return;
        }
        std::array<std::uint64_t, kMaxPointers> at;
        if (e.type == 7 || e.type == 1) {  // some writers store the EXIF pointer as bytes: not followable
            unproved = true;
            return;
        }
        if (!values(e, 0, static_cast<std::size_t>(e.count), at.data())) {
            unproved = true;
            return;
        }
        for (std::uint64_t i = 0; i < e.count; ++i)
            if (at[i] != 0) pending.emplace_back(at[i], chain);
        if (pending.size() > kMaxPending) unproved = true;
    }

    // One IFD; false when its entry count is not an IFD's.
    bool ifd(std::uint64_t off, bool chain) {
        const std::uint64_t head = big ? 8 : 2, entry = big ? 20 : 12, link = big ? 8 : 4;
        std::uint64_t count = 0;
        std::uint16_t count16 = 0;
        if (off < (big ? 16u : 8u)) return false;
        if (big ? !w.u64(off, le, count) : !w.u16(off, le, count16)) {
            unproved = true;  // beyond the run: cut
            return true;
        }
        if (!big) count = count16;
        if (count == 0 || count > kMaxEntries) return false;
        reach(off + head + count * entry + link);
        if (unproved) return true;
        std::array<Entry, slots> slot{};
        for (std::uint64_t i = 0; i < count && !unproved; ++i) {
            const std::uint64_t e = off + head + i * entry;
            std::uint16_t tag = 0;
            Entry v;
            v.present = true;
            std::uint32_t count32 = 0;
            if (!w.u16(e, le, tag) || !w.u16(e + 2, le, v.type)) return false;
            if (big ? !w.u64(e + 4, le, v.count) : !w.u32(e + 4, le, count32)) return false;
            if (!big) v.count = count32;
            const std::uint64_t size = type_size(v.type);
            if (size == 0 || v.count > (1ull << 40)) {
                unproved = true;  // a value of unknown size may be the last thing in the file
                break;
            }
            const std::uint64_t field = e + (big ? 12 : 8);
            v.where = field;
            if (v.count * size > link) {
                std::uint32_t where32 = 0;
                if (big ? !w.u64(field, le, v.where) : !w.u32(field, le, where32)) return false;
                if (!big) v.where = where32;
                if (v.where < (big ? 16u : 8u)) unproved = true;
                reach(v.where + v.count * size);
            }
            const int s = slot_of(tag);
            if (s >= 0) slot[s] = v;
            if (tag == 330) follow(v, true);  // SubIFDs
            if (tag == 34665 || tag == 34853 || tag == 40965) follow(v, false);  // EXIF, GPS, interoperability
        }
        extents(slot[strip_offsets], slot[strip_counts]);
        extents(slot[tile_offsets], slot[tile_counts]);
        extents(slot[jpeg_offset], slot[jpeg_length]);
        extents(slot[free_offsets], slot[free_counts]);
        if (rw2 && slot[raw_offset].present) {
            std::uint64_t start = 0;
            if (!values(slot[raw_offset], 0, 1, &start) || start >= end) unproved = true;
        }
        if (chain) {
            std::uint64_t next = 0;
            std::uint32_t next32 = 0;
            if (big ? !w.u64(off + head + count * entry, le, next) : !w.u32(off + head + count * entry, le, next32))
                return false;
            if (!big) next = next32;
            if (next != 0) pending.emplace_back(next, true);
        }
        return true;
    }
};

enum class Kind { tif, cr2, orf, rw2 };

}  // namespace

Verdict check_tiff(ByteSource& run, std::string_view type) {
    Kind want;
    if (type == "tif") want = Kind::tif;
    else if (type == "cr2") want = Kind::cr2;
    else if (type == "orf") want = Kind::orf;
    else if (type == "rw2") want = Kind::rw2;
    else return rejected();

    Window w(run);
    const std::uint8_t* h = w.at(0, 16);
    if (h == nullptr) return rejected();
    bool le = false;
    if (h[0] == 'I' && h[1] == 'I') le = true;
    else if (!(h[0] == 'M' && h[1] == 'M')) return rejected();
    const auto magic = static_cast<std::uint16_t>(le ? h[2] | h[3] << 8 : h[2] << 8 | h[3]);
    Kind kind;
    const bool canon = le && magic == 42 && std::memcmp(h + 8, "CR\x02\x00", 4) == 0;
    if (magic == 42 || magic == 43) kind = canon ? Kind::cr2 : Kind::tif;
    else if (magic == 0x4F52 || magic == 0x5352) kind = Kind::orf;  // "IIRO", "MMOR", "IIRS"
    else if (magic == 0x55 && le) kind = Kind::rw2;
    else return rejected();
    if (kind != want) return rejected();

    const bool big = magic == 43;
    std::uint64_t first = 0;
    if (big) {
        std::uint16_t offset_size = 0, zero = 1;
        if (!w.u16(4, le, offset_size) || !w.u16(6, le, zero) || offset_size != 8 || zero != 0) return unknown();
        w.u64(8, le, first);
    } else {
        std::uint32_t first32 = 0;
        w.u32(4, le, first32);
        first = first32;
    }

    Walk walk{w, le, big, kind == Kind::rw2, big ? 16u : 8u};
    if (first >= w.size()) return first >= (big ? 16u : 8u) ? confirmed(0) : unknown();
    if (!walk.ifd(first, true)) return unknown();
    walk.seen.push_back(first);
    while (!walk.pending.empty() && !walk.unproved) {
        const auto [off, chain] = walk.pending.back();
        walk.pending.pop_back();
        bool again = false;
        for (std::uint64_t s : walk.seen) again = again || s == off;
        if (again) continue;
        if (walk.seen.size() == kMaxIfds) return confirmed(0);
        walk.seen.push_back(off);
        if (!walk.ifd(off, chain)) return confirmed(0);
    }
    return walk.unproved ? confirmed(0) : confirmed(walk.end);
}

}  // namespace salvex::finish
