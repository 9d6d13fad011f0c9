#include "engine/finish/scan_marks.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace salvex::finish {
namespace {

// A real photo has a few hundred; more is a run of 0xFF bytes, not a photo's scan.
constexpr std::size_t kMaxMarks = std::size_t{1} << 20;

bool ends_scan(std::uint8_t after_ff) { return after_ff != 0x00 && (after_ff & 0xF8) != 0xD0; }

bool holds_marks_bytewise(const std::uint8_t* p, std::size_t n) {
    for (std::size_t i = 0; i + 1 < n; ++i)
        if (p[i] == 0xFF && ends_scan(p[i + 1])) return true;
    return false;
}

// Whether p[0..n) may hold a mark: a 0xFF followed, inside the piece, by a byte
// other than 0x00. Almost no sector of scan data does (its 0xFF bytes are
// stuffed), so the test runs without a branch per block, and only a piece that
// says yes (a header, a restart, the end) is looked at byte by byte. Blocks with
// the byte after each; the last block is laid over the end, as seeing a place
// twice does no harm here.
#if defined(__x86_64__)
__attribute__((target("avx512bw"))) inline __mmask64 may_marks_64(const std::uint8_t* q) {
    const __mmask64 here = _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(q), _mm512_set1_epi8(-1));
    return _mm512_mask_cmpneq_epi8_mask(here, _mm512_loadu_si512(q + 1), _mm512_setzero_si512());
}
__attribute__((target("avx512bw"))) bool may_hold_marks_avx512(const std::uint8_t* p, std::size_t n) {
    if (n < 65) return holds_marks_bytewise(p, n);
    __mmask64 found = may_marks_64(p + n - 65);
    for (std::size_t i = 0; i + 65 <= n; i += 64) found |= may_marks_64(p + i);
    return found != 0;
}

__attribute__((target("avx2"))) inline __m256i may_marks_32(const std::uint8_t* q) {
    const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q));
    const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + 1));
    return _mm256_andnot_si256(_mm256_cmpeq_epi8(next, _mm256_setzero_si256()),
                               _mm256_cmpeq_epi8(here, _mm256_set1_epi8(-1)));
}
__attribute__((target("avx2"))) bool may_hold_marks_avx2(const std::uint8_t* p, std::size_t n) {
    if (n < 33) return holds_marks_bytewise(p, n);
    __m256i found = may_marks_32(p + n - 33);
    for (std::size_t i = 0; i + 33 <= n; i += 32) found = _mm256_or_si256(found, may_marks_32(p + i));
    return _mm256_testz_si256(found, found) == 0;
}

inline __m128i may_marks_16(const std::uint8_t* q) {
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 1));
    return _mm_andnot_si128(_mm_cmpeq_epi8(next, _mm_setzero_si128()), _mm_cmpeq_epi8(here, _mm_set1_epi8(-1)));
}
bool may_hold_marks_sse2(const std::uint8_t* p, std::size_t n) {
    if (n < 17) return holds_marks_bytewise(p, n);
    __m128i found = may_marks_16(p + n - 17);
    for (std::size_t i = 0; i + 17 <= n; i += 16) found = _mm_or_si128(found, may_marks_16(p + i));
    return _mm_movemask_epi8(found) != 0;
}

// Chosen once; one call per piece fed, a sector or more.
const auto may_hold_marks = __builtin_cpu_supports("avx512bw") ? may_hold_marks_avx512
                            : __builtin_cpu_supports("avx2")   ? may_hold_marks_avx2
                                                               : may_hold_marks_sse2;
#else
// Elsewhere, eight bytes at a time: a word without 0xFF holds no mark.
bool may_hold_marks(const std::uint8_t* p, std::size_t n) {
    std::size_t i = 0;
    for (; i + 9 <= n; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, p + i, sizeof word);
        const std::uint64_t inverted = ~word;  // a 0xFF byte is a zero byte here
        if (((inverted - 0x0101010101010101ull) & ~inverted & 0x8080808080808080ull) != 0 &&
            holds_marks_bytewise(p + i, 9))
            return true;
    }
    return holds_marks_bytewise(p + i, n - i);
}
#endif

}  // namespace

ScanMarks::ScanMarks() { marks_.reserve(4096); }

void ScanMarks::restart() {
    marks_.clear();
    fed_ = 0;
    last_was_ff_ = false;
    overflowed_ = false;
}

void ScanMarks::note(std::uint64_t offset) {
    if (marks_.size() == kMaxMarks) {
        overflowed_ = true;
        return;
    }
    marks_.push_back(offset);
}

void ScanMarks::feed(const std::uint8_t* bytes, std::size_t n) {
    if (n == 0) return;
    if (last_was_ff_ && ends_scan(bytes[0])) note(fed_ - 1);
    if (may_hold_marks(bytes, n))
        for (std::size_t i = 0; i + 1 < n && !overflowed_; ++i)
            if (bytes[i] == 0xFF && ends_scan(bytes[i + 1])) note(fed_ + i);
    last_was_ff_ = bytes[n - 1] == 0xFF;
    fed_ += n;
}

std::uint64_t ScanMarks::first_from(std::uint64_t offset) const {
    const auto it = std::lower_bound(marks_.begin(), marks_.end(), offset);
    return it == marks_.end() ? none : *it;
}

}  // namespace salvex::finish
