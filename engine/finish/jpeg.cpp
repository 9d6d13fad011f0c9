// JPEG: markers from SOI to the main image's EOI. Segments are skipped by their
// lengths (so an EXIF thumbnail with its own EOI inside APP1 is never seen),
// entropy-coded data is scanned for the first marker that is not a restart,
// and MPF secondary images appended after the EOI are kept when the index in
// APP2 points at them.
#include <cstring>
#include <string_view>

#include "engine/finish/pictures_common.h"
#include "engine/finish/scan_marks.h"
#include "engine/finish/units.h"

namespace salvex::finish {
namespace {

using pictures::Window;

constexpr int kMaxSegments = 1 << 16;
constexpr std::uint32_t kMaxMpfImages = 64;

bool is_sof(std::uint8_t m) {
    return (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) || m == 0xF7;
}

// Markers a file may open with after SOI.
bool opens_file(std::uint8_t m) {
    return (m >= 0xE0 && m <= 0xEF) || m == 0xDB || m == 0xC4 || m == 0xCC || m == 0xDD || m == 0xFE || m == 0xF8 ||
           is_sof(m);
}

// Offset of the marker ending the entropy-coded data from pos on: stuffed 0xFF00
// and RSTn belong to the scan (JPEG-LS stuffs any byte below 0x80). 0 when the
// run ends first.
std::uint64_t scan_end(Window& w, std::uint64_t pos, bool ls) {
    if (const ScanMarks* marks = w.source().scan_marks(); marks != nullptr && !ls) {
        const std::uint64_t mark = marks->first_from(pos);
        return mark == ScanMarks::none ? 0 : mark;
    }
    while (pos < w.size()) {
        const std::uint8_t* data = nullptr;
        const std::size_t n = w.from(pos, 2, data);
        if (n < 2) return 0;
        std::size_t i = 0;
        while (i < n) {
            const void* hit = std::memchr(data + i, 0xFF, n - i);
            if (hit == nullptr) {
                i = n;
                break;
            }
            const auto k = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - data);
            if (k + 1 >= n) {  // the byte after this 0xFF is in the next window
                i = k;
                break;
            }
            const std::uint8_t m = data[k + 1];
            if (m == 0x00 || (m >= 0xD0 && m <= 0xD7) || (ls && m < 0x80)) {
                i = k + 2;
                continue;
            }
            return pos + k;
        }
        pos += i;
    }
    return 0;
}

// Where the images an MPF index (APP2 "MPF\0") lists after the first one end,
// and whether each of them opens with SOI.
struct Mpf {
    bool present = false;
    bool valid = false;
    std::uint64_t end = 0;
    std::uint64_t starts[kMaxMpfImages] = {};
    std::uint32_t count = 0;
};

void read_mpf(Window& w, std::uint64_t base, std::uint64_t limit, Mpf& mpf) {
    mpf.present = true;
    const std::uint8_t* h = w.at(base, 8);
    if (h == nullptr || limit < base + 8) return;
    bool le = false;
    if (std::memcmp(h, "II*\0", 4) == 0) le = true;
    else if (std::memcmp(h, "MM\0*", 4) != 0) return;
    const std::uint64_t span = limit - base;  // offsets inside the index are relative to base
    std::uint32_t ifd = 0;
    std::uint16_t n = 0;
    if (!w.u32(base + 4, le, ifd) || ifd + 2ull > span || !w.u16(base + ifd, le, n)) return;
    if (ifd + 2ull + 12ull * n > span) return;
    for (std::uint16_t i = 0; i < n; ++i) {
        const std::uint64_t e = base + ifd + 2 + 12ull * i;
        std::uint16_t tag = 0, kind = 0;
        std::uint32_t count = 0, where = 0;
        if (!w.u16(e, le, tag) || !w.u16(e + 2, le, kind) || !w.u32(e + 4, le, count) || !w.u32(e + 8, le, where))
            return;
        if (tag != 0xB002) continue;
        const std::uint32_t images = count / 16;
        if (kind != 7 || count % 16 != 0 || images == 0 || images > kMaxMpfImages) return;
        if (where + std::uint64_t{count} > span) return;
        for (std::uint32_t k = 1; k < images; ++k) {
            std::uint32_t size = 0, offset = 0;
            const std::uint64_t item = base + where + 16ull * k;  // attribute, size, offset, two dependants
            if (!w.u32(item + 4, le, size) || !w.u32(item + 8, le, offset)) return;
            if (offset == 0 || size == 0) return;
            mpf.starts[mpf.count++] = base + offset;
            if (base + offset + size > mpf.end) mpf.end = base + offset + size;
        }
        mpf.valid = true;
        return;
    }
}

// XMP naming media appended after the image (motion photos' video), which
// nothing in the JPEG stream sizes.
bool names_appended_media(Window& w, std::uint64_t pos, std::uint16_t length) {
    static constexpr std::string_view kXmp("http://ns.adobe.com/xap/1.0/\0", 29);
    if (length < 2 + kXmp.size()) return false;
    const std::uint8_t* p = w.at(pos + 2, length - 2u);
    if (p == nullptr) return false;
    const std::string_view text(reinterpret_cast<const char*>(p), length - 2u);
    return text.substr(0, kXmp.size()) == kXmp &&
           (text.find("MotionPhoto") != text.npos || text.find("MicroVideo") != text.npos ||
            text.find("Container:Directory") != text.npos);
}

}  // namespace

Verdict check_jpeg(ByteSource& run, std::string_view type) {
    if (type != "jpg") return rejected();
    Window w(run);
    const std::uint8_t* head = w.at(0, 4);
    if (head == nullptr || head[0] != 0xFF || head[1] != 0xD8 || head[2] != 0xFF) return rejected();
    if (!opens_file(head[3])) return unknown();

    std::uint64_t pos = 2;
    bool frame = false, scanned = false, ls = false, appended = false;
    Mpf mpf;
    std::uint64_t end = 0;
    for (int segments = 0; end == 0; ++segments) {
        if (segments == kMaxSegments) return confirmed(0);
        const std::uint8_t* p = w.at(pos, 2);
        if (p == nullptr || p[0] != 0xFF) return confirmed(0);
        const std::uint8_t m = p[1];
        if (m == 0xFF) {  // fill byte before a marker
            ++pos;
            continue;
        }
        pos += 2;
        if (m == 0xD9) {
            if (!scanned) return confirmed(0);
            end = pos;
            break;
        }
        if (m == 0x01 || (m >= 0xD0 && m <= 0xD7)) continue;  // no length
        if (m < 0xC0 || m == 0xD8) return confirmed(0);      // stuffing or reserved: not a marker here
        std::uint16_t length = 0;
        if (!w.u16(pos, false, length) || length < 2) return confirmed(0);
        if (is_sof(m)) {
            frame = true;
            ls = m == 0xF7;
        }
        if (m == 0xE1 && !appended) appended = names_appended_media(w, pos, length);
        if (m == 0xE2 && !mpf.present && length >= 14) {
            const std::uint8_t* id = w.at(pos + 2, 4);
            if (id != nullptr && std::memcmp(id, "MPF\0", 4) == 0) read_mpf(w, pos + 6, pos + length, mpf);
        }
        if (m == 0xDA) {
            if (!frame) return confirmed(0);
            const std::uint64_t next = scan_end(w, pos + length, ls);
            if (next == 0) return confirmed(0);
            scanned = true;
            pos = next;
            continue;
        }
        pos += length;
    }

    if (appended) return confirmed(0);
    if (mpf.present) {
        if (!mpf.valid || mpf.end > w.size()) return confirmed(0);
        for (std::uint32_t i = 0; i < mpf.count; ++i) {
            const std::uint8_t* soi = w.at(mpf.starts[i], 3);
            if (mpf.starts[i] < end || soi == nullptr || soi[0] != 0xFF || soi[1] != 0xD8 || soi[2] != 0xFF)
                return confirmed(0);
        }
        if (mpf.end > end) end = mpf.end;
    }
    return confirmed(end);
}

}  // namespace salvex::finish
