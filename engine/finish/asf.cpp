// ASF (WMV, WMA): objects named by GUIDs with 64-bit sizes. The Header Object's
// stream properties name the type: wmv when a Windows Media Video stream exists, wma when
// every stream is audio, asf for anything else (no stream, or image, command,
// binary or file streams beside audio). The file ends after the Header, Data and
// index objects; where the File Properties give the file size, the two must agree.
#include <array>
#include <cstring>

#include "engine/finish/units.h"

namespace salvex::finish {
namespace {

using Guid = std::array<std::uint8_t, 16>;

// A GUID as the file stores it: the first three fields little-endian.
constexpr Guid guid(std::uint32_t a, std::uint16_t b, std::uint16_t c, std::uint64_t d) {
    Guid g{};
    for (int i = 0; i < 4; ++i) g[i] = static_cast<std::uint8_t>(a >> (8 * i));
    for (int i = 0; i < 2; ++i) g[4 + i] = static_cast<std::uint8_t>(b >> (8 * i));
    for (int i = 0; i < 2; ++i) g[6 + i] = static_cast<std::uint8_t>(c >> (8 * i));
    for (int i = 0; i < 8; ++i) g[8 + i] = static_cast<std::uint8_t>(d >> (8 * (7 - i)));
    return g;
}

constexpr Guid kHeader = guid(0x75B22630, 0x668E, 0x11CF, 0xA6D900AA0062CE6C);
constexpr Guid kData = guid(0x75B22636, 0x668E, 0x11CF, 0xA6D900AA0062CE6C);
constexpr Guid kSimpleIndex = guid(0x33000890, 0xE5B1, 0x11CF, 0x89F400A0C90349CB);
constexpr Guid kIndex = guid(0xD6E229D3, 0x35DA, 0x11D1, 0x903400A0C90349BE);
constexpr Guid kMediaObjectIndex = guid(0xFEB103F8, 0x12AD, 0x4C64, 0x840F2A1D2F7AD48C);
constexpr Guid kTimecodeIndex = guid(0x3CB73FD0, 0x0C4A, 0x4803, 0x953DEDF7B6228F0C);
constexpr Guid kFileProperties = guid(0x8CABDCA1, 0xA947, 0x11CF, 0x8EE400C00C205365);
constexpr Guid kStreamProperties = guid(0xB7DC0791, 0xA9B7, 0x11CF, 0x8EE600C00C205365);
constexpr Guid kHeaderExtension = guid(0x5FBF03B5, 0xA92E, 0x11CF, 0x8EE300C00C205365);
constexpr Guid kExtendedStreamProperties = guid(0x14E6A5CB, 0xC672, 0x4332, 0x8399A96952065B5A);
constexpr Guid kAudioMedia = guid(0xF8699E40, 0x5B4D, 0x11CF, 0xA8FD00805F5C442B);
constexpr Guid kVideoMedia = guid(0xBC19EFC0, 0x5B4D, 0x11CF, 0xA8FD00805F5C442B);

constexpr int kMaxObjects = 4096;

struct Object {
    Guid id{};
    std::uint64_t size = 0;
};

bool object(ByteSource& run, std::uint64_t pos, Object& o) {
    return run.read_exact(pos, o.id.data(), 16) && u64le(run, pos + 16, o.size) && o.size >= 24;
}

// Windows Media Video codecs; other video in ASF (MPEG-4 v3, say) is plain ASF.
bool windows_media_video(std::string_view fourcc) {
    for (const std::string_view wmv : {"WMV1", "WMV2", "WMV3", "WMVA", "WVC1", "WVP2", "WMVP"})
        if (fourcc == wmv) return true;
    return false;
}

struct Streams {
    int audio = 0, video = 0, other = 0;
    void count(ByteSource& run, std::uint64_t stream_properties) {
        Guid kind{};
        if (!run.read_exact(stream_properties + 24, kind.data(), 16)) return;
        if (kind == kVideoMedia) {
            // The BITMAPINFOHEADER's compression, after the type-specific width, height, flags and size.
            char fourcc[4] = {};
            if (run.read_exact(stream_properties + 78 + 27, fourcc, 4) && windows_media_video({fourcc, 4})) ++video;
            else ++other;
            return;
        }
        ++(kind == kAudioMedia ? audio : other);
    }
};

// A Stream Properties Object may sit inside an Extended Stream Properties Object,
// after its names and payload extension systems.
bool extended_stream(ByteSource& run, std::uint64_t pos, std::uint64_t end, Streams& streams) {
    std::uint16_t names = 0, systems = 0;
    if (!u16le(run, pos + 84, names) || !u16le(run, pos + 86, systems)) return false;
    std::uint64_t at = pos + 88;
    for (int i = 0; i < names; ++i) {
        std::uint16_t length = 0;
        if (!u16le(run, at + 2, length)) return false;
        at += 4 + std::uint64_t{length};
        if (at > end) return false;
    }
    for (int i = 0; i < systems; ++i) {
        std::uint32_t length = 0;
        if (!u32le(run, at + 18, length)) return false;
        at += 22 + std::uint64_t{length};
        if (at > end) return false;
    }
    Object inner;
    if (at + 24 <= end && object(run, at, inner) && inner.id == kStreamProperties && inner.size <= end - at)
        streams.count(run, at);
    return at <= end;
}

struct FileProperties {
    bool seen = false, broadcast = false;
    std::uint64_t size = 0;
    std::uint32_t packet = 0;  // 0 unless every data packet has this size
};

// Walks the objects in [pos, end); false when they do not tile it.
bool header_objects(ByteSource& run, std::uint64_t pos, std::uint64_t end, std::uint32_t count_limit, Streams& streams,
                    FileProperties& file, bool nested) {
    for (std::uint32_t n = 0; pos < end && n < count_limit && n < kMaxObjects; ++n) {
        Object o;
        if (end - pos < 24 || !object(run, pos, o) || o.size > end - pos) return false;
        if (o.id == kStreamProperties) {
            streams.count(run, pos);
        } else if (o.id == kFileProperties && !nested) {
            std::uint32_t flags = 0, min_packet = 0, max_packet = 0;
            if (o.size < 104 || !u64le(run, pos + 40, file.size) || !u32le(run, pos + 88, flags) ||
                !u32le(run, pos + 92, min_packet) || !u32le(run, pos + 96, max_packet))
                return false;
            file.seen = true;
            file.broadcast = flags & 1;  // sizes and counts were never filled in
            file.packet = min_packet == max_packet ? min_packet : 0;
        } else if (o.id == kHeaderExtension && !nested) {
            std::uint32_t data_size = 0;
            if (o.size < 46 || !u32le(run, pos + 42, data_size) || data_size > o.size - 46) return false;
            if (!header_objects(run, pos + 46, pos + 46 + data_size, kMaxObjects, streams, file, true)) return false;
        } else if (o.id == kExtendedStreamProperties && nested) {
            if (o.size < 88 || !extended_stream(run, pos, pos + o.size, streams)) return false;
        }
        pos += o.size;
    }
    return nested ? pos == end : true;
}

bool top_level(const Guid& id) {
    return id == kData || id == kSimpleIndex || id == kIndex || id == kMediaObjectIndex || id == kTimecodeIndex;
}

}  // namespace

Verdict check_asf(ByteSource& run, std::string_view type) {
    if (type != "asf" && type != "wmv" && type != "wma") return rejected();
    Object header;
    if (!run.read_exact(0, header.id.data(), 16) || header.id != kHeader) return rejected();
    std::uint32_t count = 0;
    if (!object(run, 0, header) || header.size < 30 || header.size > run.size() || !u32le(run, 24, count))
        return unknown();

    Streams streams;
    FileProperties file;
    if (!header_objects(run, 30, header.size, count, streams, file, false)) return unknown();
    const std::string_view kind = streams.video > 0 ? "wmv" : streams.audio > 0 && streams.other == 0 ? "wma" : "asf";
    if (kind != type) return rejected();

    if (!file.seen || file.broadcast) return confirmed();
    std::uint64_t pos = header.size;
    bool data = false;
    for (int n = 0; n < kMaxObjects && pos < run.size(); ++n) {
        Object o;
        if (!run.read_exact(pos, o.id.data(), 16) || !top_level(o.id)) break;
        if (!object(run, pos, o)) return confirmed();
        if (o.size > run.size() - pos) return confirmed();  // cut by the run's end
        if (o.id == kData) {
            // Fixed-size packets: their count gives the Data Object's size too.
            std::uint64_t packets = 0;
            if (data || o.size < 50 || !u64le(run, pos + 40, packets)) return confirmed();
            if (file.packet != 0 && packets != 0 &&
                (packets > o.size / file.packet || 50 + packets * file.packet != o.size))
                return confirmed();
            data = true;
        }
        pos += o.size;
    }
    if (!data || (file.size != 0 && file.size != pos)) return confirmed();
    return confirmed(pos);
}

}  // namespace salvex::finish
