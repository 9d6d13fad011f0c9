// OLE2 compound files (doc, xls, ppt). The sub-type is the name of a stream
// directly under the root storage; the file ends with the highest sector the
// FAT marks as used (sector n lies at (n + 1) << shift: the header is sector -1).
#include <array>
#include <string_view>
#include <vector>

#include "engine/finish/documents_common.h"
#include "engine/finish/units.h"

namespace salvex::finish {
namespace {

constexpr std::uint32_t kFree = 0xFFFFFFFF, kMaxSector = 0xFFFFFFFA;
constexpr int kMaxDirectorySectors = 1 << 16, kMaxVisits = 4096;

struct Compound {
    ByteSource& run;
    unsigned shift = 9;
    std::uint64_t sector_size = 512;
    std::vector<std::uint32_t> fat;  // where each FAT sector lies
    bool fat_whole = true;

    std::uint64_t offset(std::uint32_t sector) const { return (std::uint64_t{sector} + 1) << shift; }
    bool next(std::uint32_t sector, std::uint32_t& out) {
        const std::uint64_t per = sector_size / 4, index = sector / per;
        return index < fat.size() && u32le(run, offset(fat[index]) + (sector % per) * 4, out);
    }
};

// Which of the served names (WordDocument, Workbook/Book, PowerPoint Document)
// a 128-byte directory entry carries as a stream; -1 for none.
int stream_kind(const std::uint8_t* e) {
    static constexpr std::array<std::string_view, 4> kNames = {"WordDocument", "Workbook", "Book",
                                                               "PowerPoint Document"};
    static constexpr std::array<int, 4> kKinds = {0, 1, 1, 2};
    const unsigned bytes = documents::le16(e + 0x40);
    if (e[0x42] != 2 || bytes < 2 || bytes > 64 || bytes % 2 != 0) return -1;
    for (std::size_t k = 0; k < kNames.size(); ++k) {
        const std::string_view name = kNames[k];
        if (bytes != (name.size() + 1) * 2) continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i)
            same = e[2 * i] == static_cast<unsigned char>(name[i]) && e[2 * i + 1] == 0;
        if (same) return kKinds[k];
    }
    return -1;
}

}  // namespace

Verdict check_ole2(ByteSource& run, std::string_view type) {
    const int asked = type == "doc" ? 0 : type == "xls" ? 1 : type == "ppt" ? 2 : -1;
    if (asked < 0) return rejected();
    if (!bytes_are(run, 0, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) return rejected();
    std::uint8_t h[512];
    if (!run.read_exact(0, h, sizeof h)) return unknown();
    const auto le16 = [&h](int i) { return documents::le16(h + i); };
    const auto le32 = [&h](int i) { return documents::le32(h + i); };
    Compound file{run, 9, 512, {}, true};
    file.shift = le16(0x1E);
    if (le16(0x1C) != 0xFFFE || !((le16(0x1A) == 3 && file.shift == 9) || (le16(0x1A) == 4 && file.shift == 12)))
        return unknown();
    file.sector_size = std::uint64_t{1} << file.shift;
    const std::uint32_t fat_sectors = le32(0x2C), first_directory = le32(0x30);
    if (fat_sectors == 0 || fat_sectors > run.size() / file.sector_size + 1) return unknown();

    // The FAT's own sectors: 109 in the header, the rest along the DIFAT chain.
    file.fat.reserve(fat_sectors);
    for (int i = 0; i < 109 && file.fat.size() < fat_sectors; ++i) file.fat.push_back(le32(0x4C + 4 * i));
    const std::uint64_t per_difat = file.sector_size / 4 - 1;
    std::uint32_t difat = le32(0x44);
    for (std::uint32_t hops = 0; file.fat.size() < fat_sectors; ++hops) {
        if (difat > kMaxSector || hops > fat_sectors) {
            file.fat_whole = false;
            break;
        }
        std::uint32_t entry = 0;
        for (std::uint64_t i = 0; i < per_difat && file.fat.size() < fat_sectors; ++i) {
            if (!u32le(run, file.offset(difat) + 4 * i, entry)) break;
            file.fat.push_back(entry);
        }
        if (!u32le(run, file.offset(difat) + 4 * per_difat, difat)) difat = kFree;
    }
    for (const std::uint32_t s : file.fat)
        if (s > kMaxSector) file.fat_whole = false;

    // The directory's sectors, then a walk of the root's children.
    std::vector<std::uint32_t> directory;
    for (std::uint32_t s = first_directory; s <= kMaxSector && directory.size() < kMaxDirectorySectors;) {
        directory.push_back(s);
        if (!file.next(s, s)) break;
    }
    const std::uint64_t per_sector = file.sector_size / 128;
    bool whole = true;
    const auto entry = [&](std::uint32_t id, std::uint8_t* e) {
        const std::uint64_t index = id / per_sector;
        return index < directory.size() &&
               run.read_exact(file.offset(directory[index]) + (id % per_sector) * 128, e, 128);
    };
    std::uint8_t e[128];
    if (!entry(0, e) || e[0x42] != 5) return unknown();
    std::array<bool, 3> kinds{};
    std::vector<std::uint32_t> pending{documents::le32(e + 0x4C)};
    for (int visits = 0; !pending.empty(); ++visits) {
        const std::uint32_t id = pending.back();
        pending.pop_back();
        if (id > kMaxSector) continue;
        if (visits == kMaxVisits || !entry(id, e)) {
            whole = false;
            break;
        }
        const int kind = stream_kind(e);
        if (kind >= 0) kinds[kind] = true;
        pending.push_back(documents::le32(e + 0x44));
        pending.push_back(documents::le32(e + 0x48));
    }
    if (!kinds[asked]) return whole ? rejected() : unknown();
    if (!file.fat_whole) return confirmed(0);

    // The highest used sector lies in the last FAT sector that marks any.
    const std::uint64_t per = file.sector_size / 4;
    std::vector<std::uint8_t> sector(file.sector_size);
    for (std::size_t i = file.fat.size(); i-- > 0;) {
        if (!run.read_exact(file.offset(file.fat[i]), sector.data(), sector.size())) return confirmed(0);
        for (std::uint64_t k = per; k-- > 0;) {
            const std::uint8_t* v = sector.data() + 4 * k;
            if ((v[0] & v[1] & v[2] & v[3]) == 0xFF) continue;
            const std::uint64_t end = (i * per + k + 2) << file.shift;
            return end <= run.size() ? confirmed(end) : confirmed(0);
        }
    }
    return confirmed(0);
}

}  // namespace salvex::finish
