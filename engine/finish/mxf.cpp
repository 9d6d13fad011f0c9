// MXF: KLV triplets (a 16-byte SMPTE key, a BER length, the value) from the header
// partition pack to the footer partition, then the footer's metadata and index
// (as many bytes as its pack counts) and the random index pack that closes the
// file. The header partition pack usually gives the footer's offset, so the body
// need not be walked.
#include <cstring>

#include "engine/finish/units.h"

namespace salvex::finish {
namespace {

constexpr std::uint8_t kPrefix[4] = {0x06, 0x0E, 0x2B, 0x34};
// A partition pack's key, byte 7 (the registry version) aside; byte 13 is 2 for
// the header, 3 for a body and 4 for the footer partition.
constexpr std::uint8_t kPartition[13] = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x05, 0x01, 0x00,
                                         0x0D, 0x01, 0x02, 0x01, 0x01};
constexpr std::uint8_t kRandomIndex[3] = {0x11, 0x01, 0x00};  // bytes 13-15 of the random index pack

struct Klv {
    std::uint8_t key[16] = {};
    std::uint64_t length = 0;
    std::uint64_t header = 0;
};

// The KLV at pos; false when its key or length is not one.
bool klv(ByteSource& run, std::uint64_t pos, Klv& k) {
    std::uint8_t b[25];
    const std::size_t got = run.read(pos, b, sizeof b);
    if (got < 17 || std::memcmp(b, kPrefix, 4) != 0) return false;
    std::memcpy(k.key, b, 16);
    if (b[16] < 0x80) {
        k.length = b[16];
        k.header = 17;
        return true;
    }
    const unsigned n = b[16] & 0x7F;
    if (n == 0 || n > 8 || got < 17 + n) return false;
    k.length = 0;
    for (unsigned i = 0; i < n; ++i) k.length = k.length << 8 | b[17 + i];
    k.header = 17 + n;
    return true;
}

// 2, 3 or 4 for a header, body or footer partition pack; 0 otherwise.
int partition_kind(const Klv& k) {
    for (int i = 0; i < 13; ++i)
        if (i != 7 && k.key[i] != kPartition[i]) return 0;
    return k.key[13] >= 2 && k.key[13] <= 4 && k.key[14] >= 1 && k.key[14] <= 4 && k.key[15] == 0 ? k.key[13] : 0;
}

bool fill(const Klv& k) {
    constexpr std::uint8_t kFill[8] = {0x03, 0x01, 0x02, 0x10, 0x01, 0x00, 0x00, 0x00};
    return std::memcmp(k.key, kPrefix, 4) == 0 && std::memcmp(k.key + 8, kFill, 8) == 0;
}

bool random_index(const Klv& k) {
    for (int i = 0; i < 13; ++i)
        if (i != 7 && k.key[i] != kPartition[i]) return false;
    return std::memcmp(k.key + 13, kRandomIndex, 3) == 0;
}

// ThisPartition of the partition pack whose KLV starts at pos.
bool this_partition(ByteSource& run, std::uint64_t pos, const Klv& k, std::uint64_t& offset) {
    return k.length >= 88 && u64be(run, pos + k.header + 8, offset);
}

}  // namespace

Verdict check_mxf(ByteSource& run, std::string_view type) {
    if (type != "mxf") return rejected();
    Klv head;
    if (!klv(run, 0, head) || partition_kind(head) != 2)
        return bytes_are(run, 0, "\x06\x0E\x2B\x34") ? unknown() : rejected();
    std::uint64_t self = 0, footer = 0;
    if (!this_partition(run, 0, head, self) || self != 0 || !u64be(run, head.header + 24, footer)) return unknown();

    std::uint64_t pos = 0;
    if (footer != 0) {
        if (footer >= run.size()) return confirmed();  // cut before its footer
        Klv k;
        std::uint64_t at = 0;
        if (!klv(run, footer, k) || partition_kind(k) != 4 || !this_partition(run, footer, k, at) || at != footer)
            return confirmed();
        pos = footer;
    }
    // The footer's metadata and index fill HeaderByteCount + IndexByteCount bytes
    // after its pack, counted from before or after the fill that may follow it.
    std::uint64_t pack_end = 0, fill_end = 0, counted = 0;
    bool in_footer = false;
    constexpr int kMaxKlvs = 1 << 24;
    for (int n = 0;; ++n) {
        Klv k;
        if (n == kMaxKlvs) return confirmed();
        if (!klv(run, pos, k)) break;
        if (k.length > run.size() - pos - k.header) return confirmed();  // cut by the run's end
        const int kind = partition_kind(k);
        if (random_index(k)) break;
        if (kind != 0) {
            std::uint64_t at = 0, header_bytes = 0, index_bytes = 0;
            if (n > 0 && kind == 2) break;  // the next file's header
            if (in_footer || !this_partition(run, pos, k, at) || at != pos) return confirmed();
            in_footer = kind == 4;
            const std::uint64_t value = pos + k.header;
            if (in_footer && (!u64be(run, value + 32, header_bytes) || !u64be(run, value + 40, index_bytes) ||
                              header_bytes > run.size() || index_bytes > run.size()))
                return confirmed();
            counted = header_bytes + index_bytes;
            pack_end = fill_end = pos + k.header + k.length;
        } else if (in_footer && pos == pack_end && fill(k)) {
            fill_end = pos + k.header + k.length;
        }
        pos += k.header + k.length;
    }
    if (!in_footer || (pos != pack_end + counted && pos != fill_end + counted)) return confirmed();
    Klv k;
    if (!klv(run, pos, k) || !random_index(k)) return confirmed(pos);
    // The random index pack closes the file and ends with its own length.
    std::uint32_t overall = 0;
    if (k.length < 4 || k.length > run.size() - pos - k.header || !u32be(run, pos + k.header + k.length - 4, overall) ||
        overall != k.header + k.length)
        return confirmed();
    return confirmed(pos + k.header + k.length);
}

}  // namespace salvex::finish
