// PDF: the file ends after the "%%EOF" line of its last incremental update. Each
// update closes with "startxref N %%EOF"; an update belongs to the file when N
// points at a cross-reference section (table or stream) whose /Prev chain is
// whole and reaches the update accepted before it. Linearized files open with
// a first-page section whose startxref is a placeholder: it fails the test and
// the final startxref (pointing back at that first-page section) carries it.
// When objects follow the last accepted update, an update was cut or damaged:
// no end is proved then.
#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/finish/documents_common.h"
#include "engine/finish/units.h"

namespace salvex::finish {
namespace {

using documents::Reader;

constexpr std::size_t kMaxUpdates = 4096;
constexpr int kMaxChain = 256;
constexpr int kMaxSections = 8192;  // sections parsed in one call, over all chains
constexpr std::uint64_t kMaxSubsections = 1u << 20;
constexpr std::uint64_t kMaxDictionary = 64 * 1024;

bool is_space(int c) { return c == 0 || c == 9 || c == 10 || c == 12 || c == 13 || c == 32; }
bool is_delimiter(int c) {
    return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' || c == '}' ||
           c == '/' || c == '%';
}
bool is_digit(int c) { return c >= '0' && c <= '9'; }

void skip_space(Reader& r, std::uint64_t limit = 4096) {
    for (std::uint64_t i = 0; i < limit && is_space(r.peek()); ++i) r.next();
}

bool match(Reader& r, std::string_view word) {
    for (const char c : word)
        if (r.next() != static_cast<unsigned char>(c)) return false;
    return true;
}

std::optional<std::uint64_t> number(Reader& r) {
    std::uint64_t v = 0;
    int digits = 0;
    while (is_digit(r.peek()) && digits < 19) {
        v = v * 10 + static_cast<std::uint64_t>(r.next() - '0');
        ++digits;
    }
    if (digits == 0 || is_digit(r.peek())) return std::nullopt;
    return v;
}

struct Section {
    std::optional<std::uint64_t> prev;
};

// The top level of the dictionary the reader stands at ("<<"): its /Prev, and
// whether /Type is /XRef.
bool dictionary(Reader& r, Section& section, bool& xref_type) {
    if (!match(r, "<<")) return false;
    const std::uint64_t stop = r.tell() + kMaxDictionary;
    int depth = 1;
    enum { none, prev, type } pending = none;
    while (r.tell() < stop) {
        const int c = r.next();
        if (c < 0) return false;
        if (is_space(c)) continue;
        if (c == '<' && r.peek() == '<') {
            r.next();
            ++depth;
        } else if (c == '>' && r.peek() == '>') {
            r.next();
            if (--depth == 0) return true;
        } else if (c == '<') {
            while (r.tell() < stop && r.peek() >= 0 && r.peek() != '>') r.next();
            r.next();
        } else if (c == '(') {
            for (int nest = 1; nest > 0 && r.tell() < stop;) {
                const int s = r.next();
                if (s < 0) return false;
                if (s == '\\') r.next();
                else if (s == '(') ++nest;
                else if (s == ')') --nest;
            }
        } else if (c == '%') {
            while (r.tell() < stop && r.peek() >= 0 && r.peek() != '\n' && r.peek() != '\r') r.next();
        } else if (c == '/') {
            char name[8] = {};
            std::size_t n = 0;
            while (r.peek() >= 0 && !is_space(r.peek()) && !is_delimiter(r.peek())) {
                const int k = r.next();
                if (n < sizeof name) name[n] = static_cast<char>(k);
                ++n;
            }
            const std::string_view word(name, std::min(n, sizeof name));
            if (depth == 1 && pending == type && n == 4 && word == "XRef") xref_type = true;
            const bool key = depth == 1 && n == 4;
            pending = key && word == "Prev" ? prev : key && word == "Type" ? type : none;
            continue;
        } else if (pending == prev && depth == 1 && is_digit(c)) {
            std::uint64_t v = static_cast<std::uint64_t>(c - '0');
            for (int digits = 1; is_digit(r.peek()) && digits < 19; ++digits)
                v = v * 10 + static_cast<std::uint64_t>(r.next() - '0');
            section.prev = v;
        }
        pending = none;
    }
    return false;
}

bool entry_at(ByteSource& run, std::uint64_t at) {
    char e[18];
    if (!run.read_exact(at, e, sizeof e)) return false;
    for (int i = 0; i < 18; ++i) {
        const bool ok = i == 10 || i == 16 ? e[i] == ' ' : i == 17 ? e[i] == 'n' || e[i] == 'f' : is_digit(e[i]);
        if (!ok) return false;
    }
    return true;
}

// The cross-reference section at `at`: a table ("xref" ... "trailer" <<>>) or
// a stream object whose dictionary has /Type /XRef.
std::optional<Section> section_at(ByteSource& run, Reader& r, std::uint64_t at) {
    Section section;
    bool xref_type = false;
    r.seek(at);
    if (r.peek() == 'x') {
        if (!match(r, "xref") || !is_space(r.peek())) return std::nullopt;
        for (std::uint64_t sub = 0;; ++sub) {
            if (sub == kMaxSubsections) return std::nullopt;
            skip_space(r);
            if (r.peek() == 't') {
                if (!match(r, "trailer")) return std::nullopt;
                skip_space(r);
                if (!dictionary(r, section, xref_type)) return std::nullopt;
                return section;
            }
            if (!number(r)) return std::nullopt;
            skip_space(r, 8);
            const auto count = number(r);
            if (!count || *count > (std::uint64_t{1} << 32)) return std::nullopt;
            skip_space(r, 8);
            // Entries are exactly 20 bytes: the first and last of them prove the stride.
            const std::uint64_t first = r.tell();
            if (*count > 0 && (!entry_at(run, first) || !entry_at(run, first + (*count - 1) * 20))) return std::nullopt;
            r.seek(first + *count * 20);
        }
    }
    if (!number(r) || !is_space(r.peek())) return std::nullopt;
    skip_space(r, 64);
    if (!number(r)) return std::nullopt;
    skip_space(r, 64);
    if (!match(r, "obj")) return std::nullopt;
    skip_space(r, 64);
    if (!dictionary(r, section, xref_type) || !xref_type) return std::nullopt;
    return section;
}

struct Update {
    std::uint64_t marker;  // where "startxref" stands
    std::uint64_t xref;    // the offset it names
    std::uint64_t end;     // just past "%%EOF" and its line end
};

// Every "startxref N %%EOF" in the run, in order.
bool find_updates(ByteSource& run, Reader& r, std::vector<Update>& updates) {
    constexpr std::string_view kKey = "startxref";
    std::vector<char> chunk(documents::kChunk);
    std::vector<std::uint64_t> markers;
    for (std::uint64_t at = 0; at < run.size();) {
        const std::size_t got = run.read(at, chunk.data(), chunk.size());
        if (got < kKey.size()) break;
        const std::string_view text(chunk.data(), got);
        for (std::size_t hit = text.find(kKey); hit != std::string_view::npos; hit = text.find(kKey, hit + 1)) {
            if (markers.size() == kMaxUpdates) return false;
            markers.push_back(at + hit);
        }
        if (got < chunk.size()) break;
        at += got - (kKey.size() - 1);
    }
    for (const std::uint64_t marker : markers) {
        r.seek(marker + kKey.size());
        skip_space(r, 64);
        const auto xref = number(r);
        if (!xref) continue;
        skip_space(r, 64);
        if (!match(r, "%%EOF")) continue;
        if (r.peek() == '\r') r.next();
        if (r.peek() == '\n') r.next();
        updates.push_back({marker, *xref, r.tell()});
    }
    return true;
}

// Whether the section at `xref` and its /Prev chain are whole, all before
// `limit`; `joins` tells whether the chain passes through `earlier`.
bool chain(ByteSource& run, Reader& r, std::uint64_t xref, std::uint64_t limit,
           std::optional<std::uint64_t> earlier, bool& joins, int& budget) {
    joins = !earlier;
    for (int step = 0; step < kMaxChain; ++step) {
        if (xref >= limit || --budget < 0) return false;
        if (earlier && xref == *earlier) {
            joins = true;  // the earlier update's chain was proved when it was accepted
            return true;
        }
        const auto section = section_at(run, r, xref);
        if (!section) return false;
        if (!section->prev) return true;
        xref = *section->prev;
    }
    return false;
}

// Whether more of the file follows `at`: an object or a section of an update
// that could not be followed.
bool continues(Reader& r, std::uint64_t at) {
    r.seek(at);
    skip_space(r, 1024);
    if (r.peek() == 'x') return match(r, "xref");
    if (!number(r) || !is_space(r.peek())) return false;
    skip_space(r, 64);
    if (!number(r)) return false;
    skip_space(r, 64);
    return match(r, "obj");
}

}  // namespace

Verdict check_pdf(ByteSource& run, std::string_view type) {
    if (type != "pdf") return rejected();
    if (!bytes_are(run, 0, "%PDF-")) return rejected();
    Reader r(run);
    std::vector<Update> updates;
    if (!find_updates(run, r, updates)) return confirmed(0);
    std::optional<std::uint64_t> accepted;
    std::uint64_t end = 0;
    int budget = kMaxSections;
    for (const Update& u : updates) {
        bool joins = false;
        if (u.xref == 0 || !chain(run, r, u.xref, u.marker, accepted, joins, budget) || !joins) continue;
        accepted = u.xref;
        end = u.end;
    }
    if (end == 0 || budget < 0 || continues(r, end)) return confirmed(0);
    return confirmed(end);
}

}  // namespace salvex::finish
