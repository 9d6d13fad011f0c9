// MP3 (MPEG audio layer III) and AAC in ADTS frames. Either may open with ID3v2
// tags. Frames are walked by the length each header gives, and every header must
// agree with the first on version, layer (or profile) and sample rate. A bare
// frame sync also turns up inside other data, so a run without a tag needs
// several such frames before it counts. After the frames an APEv2 tag and an
// ID3v1 tag may follow. An end is claimed only where the stream does not visibly
// resume a little further on (a damaged header rather than the end), and, for an
// MP3 with a Xing, Info or VBRI frame, only where its byte count agrees.
#include <cstring>

#include "engine/finish/streams_common.h"
#include "engine/finish/units.h"

namespace salvex::finish {

namespace {

using streams::Window;

enum class Kind { none, mp3, other_layer, adts };

struct Frame {
    Kind kind = Kind::none;
    unsigned key = 0;  // what every frame of one stream shares
    unsigned length = 0;
    unsigned version = 0, mode = 0;
    bool crc = false;
};

constexpr std::size_t kHeader = 7;  // enough for either header

constexpr unsigned short kBitrates[5][15] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // MPEG-1 layer I
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // MPEG-1 layer II
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // MPEG-1 layer III
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // MPEG-2 layer I
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // MPEG-2 layers II, III
};
constexpr unsigned kRates[3] = {44100, 48000, 32000};

bool parse(const std::uint8_t* b, Frame& f) {
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0) return false;
    const unsigned version = b[1] >> 3 & 3, layer = b[1] >> 1 & 3;  // version 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    if (layer == 0) {
        // ADTS: a 12-bit sync, so the MPEG-2.5 id bit reads as set.
        if ((b[1] & 0xF0) != 0xF0) return false;
        const unsigned rate = b[2] >> 2 & 15;
        f.crc = !(b[1] & 1);
        f.length = (b[3] & 3u) << 11 | unsigned{b[4]} << 3 | b[5] >> 5;
        if (rate > 12 || f.length < (f.crc ? 9u : 7u)) return false;
        f.kind = Kind::adts;
        f.key = 0x1000u | (b[1] & 0x08u) << 7 | (b[2] & 0xFDu) << 2 | b[3] >> 6;  // id, profile, rate, channels
        return true;
    }
    const unsigned bitrate_index = b[2] >> 4, rate_index = b[2] >> 2 & 3;
    if (version == 1 || bitrate_index == 0 || bitrate_index == 15 || rate_index == 3 || (b[3] & 3) == 2) return false;
    const unsigned table = version == 3 ? 3 - layer : layer == 3 ? 3 : 4;
    const unsigned bitrate = kBitrates[table][bitrate_index] * 1000u;
    const unsigned rate = kRates[rate_index] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    const unsigned pad = b[2] >> 1 & 1;
    if (layer == 3)
        f.length = (12 * bitrate / rate + pad) * 4;
    else if (layer == 1 && version != 3)
        f.length = 72 * bitrate / rate + pad;
    else
        f.length = 144 * bitrate / rate + pad;
    f.kind = layer == 1 ? Kind::mp3 : Kind::other_layer;
    f.key = version << 4 | layer << 2 | rate_index;
    f.version = version;
    f.mode = b[3] >> 6;
    f.crc = !(b[1] & 1);
    return true;
}

bool frame_at(Window& w, std::uint64_t pos, Frame& f) {
    const std::uint8_t* b = w.at(pos, kHeader);
    return b != nullptr && parse(b, f);
}

struct Walk {
    std::uint64_t end = 0, frames = 0;
    bool cut = false;  // the run ends inside the stream
};

Walk walk(Window& w, std::uint64_t pos, unsigned key) {
    Walk r;
    for (;;) {
        Frame f;
        if (w.size() - pos < kHeader) {
            r.cut = true;
            break;
        }
        if (!frame_at(w, pos, f) || f.key != key) break;
        if (w.size() - pos < f.length) {
            r.cut = true;
            break;
        }
        pos += f.length;
        ++r.frames;
    }
    r.end = pos;
    return r;
}

// Whether two frames of the stream in a row start somewhere in the next few KB.
bool resumes(Window& w, std::uint64_t from, unsigned key) {
    constexpr std::uint64_t kReach = 4096;
    for (std::uint64_t pos = from + 1; pos <= from + kReach && pos < w.size(); ++pos) {
        std::uint64_t at = pos;
        int chain = 0;
        Frame f;
        while (chain < 2 && frame_at(w, at, f) && f.key == key) {
            at += f.length;
            ++chain;
        }
        if (chain == 2) return true;
    }
    return false;
}

// The byte count of a Xing/Info or VBRI frame at pos; 0 when there is none.
std::uint64_t stream_bytes(Window& w, std::uint64_t pos, const Frame& f) {
    const unsigned side = f.version == 3 ? (f.mode == 3 ? 17 : 32) : (f.mode == 3 ? 9 : 17);
    for (unsigned skip : {4 + side, 6 + side}) {
        const std::uint8_t* x = w.at(pos + skip, 16);
        if (x != nullptr && (std::memcmp(x, "Xing", 4) == 0 || std::memcmp(x, "Info", 4) == 0))
            return x[7] & 2 ? streams::be32(x + (x[7] & 1 ? 12 : 8)) : 0;
    }
    const std::uint8_t* v = w.at(pos + 36, 14);
    return v != nullptr && std::memcmp(v, "VBRI", 4) == 0 ? streams::be32(v + 10) : 0;
}

// ID3v2 tags at pos (10-byte header, syncsafe size, optional footer); false when
// one is malformed.
bool skip_id3(Window& w, std::uint64_t& pos) {
    for (int tags = 0; tags < 4; ++tags) {
        const std::uint8_t* t = w.at(pos, 10);
        if (t == nullptr || std::memcmp(t, "ID3", 3) != 0) return true;
        if (t[3] < 2 || t[3] > 4 || t[4] == 0xFF || (t[6] | t[7] | t[8] | t[9]) & 0x80) return false;
        const std::uint64_t size = std::uint64_t{t[6]} << 21 | std::uint64_t{t[7]} << 14 | t[8] << 7 | t[9];
        pos += 10 + size + ((t[3] == 4 && (t[5] & 0x10)) ? 10 : 0);
    }
    return true;
}

}  // namespace

Verdict check_mpeg_audio(ByteSource& run, std::string_view type) {
    if (type != "mp3" && type != "aac") return rejected();
    const Kind want = type == "mp3" ? Kind::mp3 : Kind::adts;
    // A tagless stream must show this many frames before it counts.
    constexpr std::uint64_t kFrames = 6;

    Window w(run);
    std::uint64_t start = 0;
    if (!skip_id3(w, start)) return unknown();
    const bool tagged = start > 0;
    // Some taggers leave padding the tag size does not count.
    for (int i = 0; tagged && i < 4096; ++i) {
        const std::uint8_t* z = w.at(start, 1);
        if (z == nullptr || *z != 0) break;
        ++start;
    }

    Frame first;
    if (!frame_at(w, start, first)) return tagged ? unknown() : rejected();
    if (first.kind != want) return rejected();
    const Walk r = walk(w, start, first.key);
    if (r.frames < kFrames && !tagged && !(r.cut && r.frames >= 2)) return rejected();
    if (r.cut || r.frames < kFrames) return confirmed();

    if (want == Kind::mp3) {
        const std::uint64_t bytes = stream_bytes(w, start, first);
        if (bytes != 0 && bytes != r.end - start && bytes != r.end) return confirmed();
    }
    // Trailing tags: APEv2 with its header (the size counts items and footer),
    // then the 128-byte ID3v1.
    std::uint64_t end = r.end;
    bool trailer = false;
    if (const std::uint8_t* a = w.at(end, 32); a != nullptr && std::memcmp(a, "APETAGEX", 8) == 0 && a[23] & 0x20) {
        const std::uint64_t size =
            std::uint64_t{a[12]} | std::uint64_t{a[13]} << 8 | std::uint64_t{a[14]} << 16 | std::uint64_t{a[15]} << 24;
        if (size < 32 || size > run.size() - end - 32) return confirmed();
        end += 32 + size;
        trailer = true;
    }
    if (const std::uint8_t* t = w.at(end, 128); t != nullptr && std::memcmp(t, "TAG", 3) == 0) {
        end += 128;
        trailer = true;
    }
    if (!trailer && resumes(w, r.end, first.key)) return confirmed();
    return confirmed(end);
}

}  // namespace salvex::finish
