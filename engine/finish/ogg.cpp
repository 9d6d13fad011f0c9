// Ogg streams: Opus, and Vorbis, FLAC, Speex or Theora as "ogg". The first page's
// codec header names the type. Pages are walked by their segment tables and each
// must pass its CRC, so an "OggS" of some other file is never followed. The file
// ends after the page that ends the last logical stream begun, unless a chained
// stream begins right there.
#include <array>
#include <cstring>

#include "engine/finish/streams_common.h"
#include "engine/finish/units.h"

namespace salvex::finish {

namespace {

using streams::Window;

constexpr std::array<std::uint32_t, 256> kCrcTable = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t r = i << 24;
        for (int k = 0; k < 8; ++k) r = r & 0x80000000u ? r << 1 ^ 0x04C11DB7u : r << 1;
        t[i] = r;
    }
    return t;
}();

enum class Codec { none, skeleton, opus, known, other };

struct Page {
    std::uint64_t size = 0;
    std::uint8_t flags = 0;
    std::uint32_t serial = 0;
    Codec codec = Codec::none;  // of a beginning-of-stream page
};

constexpr std::uint8_t kContinued = 1, kBegin = 2, kEnd = 4;

Codec codec_of(const std::uint8_t* packet, std::size_t n) {
    const auto is = [&](const char* id, std::size_t len) { return n >= len && std::memcmp(packet, id, len) == 0; };
    if (is("OpusHead", 8)) return Codec::opus;
    if (is("fishead\0", 8)) return Codec::skeleton;
    if (is("\x01vorbis", 7) ||
        is("\x7f"
           "FLAC",
           5) ||
        is("fLaC", 4) || is("Speex   ", 8) || is("\x80theora", 7))
        return Codec::known;
    return Codec::other;
}

// The page at pos when it is whole in the run and its CRC holds.
bool read_page(Window& w, std::uint64_t pos, Page& page) {
    const std::uint8_t* h = w.at(pos, 27);
    if (h == nullptr || std::memcmp(h, "OggS", 4) != 0 || h[4] != 0 || (h[5] & ~7) != 0) return false;
    const std::size_t segments = h[26];
    const std::uint8_t* p = w.at(pos, 27 + segments);
    if (p == nullptr) return false;
    std::size_t body = 0, first_packet = 0;
    bool packet_open = true;
    for (std::size_t i = 0; i < segments; ++i) {
        body += p[27 + i];
        if (packet_open) first_packet += p[27 + i];
        if (p[27 + i] < 255) packet_open = false;
    }
    const std::size_t size = 27 + segments + body;
    p = w.at(pos, size);
    if (p == nullptr) return false;
    std::uint32_t crc = 0;
    const auto add = [&crc](std::uint8_t b) { crc = crc << 8 ^ kCrcTable[(crc >> 24 ^ b) & 0xFF]; };
    for (std::size_t i = 0; i < 22; ++i) add(p[i]);
    for (std::size_t i = 22; i < 26; ++i) add(0);  // the CRC field counts as zero
    for (std::size_t i = 26; i < size; ++i) add(p[i]);
    if (crc !=
        (std::uint32_t{p[22]} | std::uint32_t{p[23]} << 8 | std::uint32_t{p[24]} << 16 | std::uint32_t{p[25]} << 24))
        return false;
    page.size = size;
    page.flags = p[5];
    page.serial =
        std::uint32_t{p[14]} | std::uint32_t{p[15]} << 8 | std::uint32_t{p[16]} << 16 | std::uint32_t{p[17]} << 24;
    page.codec =
        page.flags & kBegin && !(page.flags & kContinued) ? codec_of(p + 27 + segments, first_packet) : Codec::none;
    return true;
}

}  // namespace

Verdict check_ogg(ByteSource& run, std::string_view type) {
    if (type != "ogg" && type != "opus") return rejected();
    if (!bytes_are(run, 0, "OggS")) return rejected();

    Window w(run);
    Page page;
    if (!read_page(w, 0, page) || page.codec == Codec::none) return unknown();

    Codec media = Codec::none;  // the first stream that is not a skeleton index
    const auto answer = [&](std::uint64_t end) {
        if (media == Codec::none) return unknown();
        return (media == Codec::opus) == (type == "opus") ? confirmed(end) : rejected();
    };

    constexpr std::size_t kMaxStreams = 64;
    std::array<std::uint32_t, kMaxStreams> serials{};
    std::array<bool, kMaxStreams> ended{};
    std::size_t begun = 0, open = 0;
    std::uint64_t pos = 0;
    for (;;) {
        std::size_t i = 0;
        while (i < begun && serials[i] != page.serial) ++i;
        if (page.flags & kBegin) {
            if (i < begun || begun == kMaxStreams) return answer(0);
            if (media == Codec::none && page.codec != Codec::skeleton) media = page.codec;
            serials[begun] = page.serial;
            ended[begun++] = false;
            ++open;
        } else if (i == begun || ended[i]) {
            return answer(0);  // a page of no stream begun here: damage, or another file
        }
        if (page.flags & kEnd) {
            ended[i] = true;
            --open;
        }
        pos += page.size;
        if (open == 0) {
            // Every stream begun has ended; a chained stream may begin at once. A page
            // there that does not check out is a damaged chain, not the end.
            Page next;
            if (!read_page(w, pos, next)) return bytes_are(run, pos, "OggS") ? answer(0) : answer(pos);
            if (!(next.flags & kBegin) || next.codec == Codec::none) return answer(0);
            begun = 0;
            page = next;
            continue;
        }
        if (!read_page(w, pos, page)) return answer(0);  // cut, or a damaged page
    }
}

}  // namespace salvex::finish
