#pragma once
// The tests' own carver, worked out from the bytes alone: what the carving rule
// leaves of one file (the file, then whatever the card held next, to the end of
// its last sector), and the files a whole pass cuts from a card by the records
// of a signature file.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/finish/unit.h"
#include "support/shell.h"

namespace salvex::test {

// The file, then `after`, cut or padded (with a fixed pattern) to `sectors`
// whole sectors; by default one sector more than the file needs.
inline std::string carved_run(const std::string& file, const std::string& after = {}, std::size_t sectors = 0) {
    if (sectors == 0) sectors = file.size() / 512 + 2;
    std::string run = file + after;
    for (std::size_t i = run.size(); i < sectors * 512; ++i) run += static_cast<char>((i * 37 + 11) % 253);
    run.resize(sectors * 512);
    return run;
}

inline finish::Verdict check(finish::Unit unit, std::string_view bytes, std::string_view type) {
    finish::MemorySource source(bytes.data(), bytes.size());
    return unit(source, type);
}

// The lowest `n` bytes of v, least or most significant first.
inline std::string le(std::uint64_t v, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>(v >> (8 * i) & 0xFF);
    return s;
}
inline std::string be(std::uint64_t v, int n) {
    const std::string little = le(v, n);
    return {little.rbegin(), little.rend()};
}

// Whether a command the samples need is on this machine.
inline bool have(const std::string& tool) { return run("command -v " + quote(tool)).status == 0; }

// One record of a signature file, read without the product's loader.
struct Record {
    std::string extension, hex, offset;  // offset from 1, or "nn": anywhere in the sector
    std::string header;                  // the bytes `hex` spells
    std::uint64_t max_size = 0;
};

// Six "key : value" lines a record; a line with no colon is a comment.
inline std::vector<Record> records_of(const std::string& sig_file) {
    const auto trimmed = [](const std::string& text) {
        const auto first = text.find_first_not_of(" \t\r");
        return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
    };
    std::vector<Record> records;
    std::vector<std::string> fields;
    std::ifstream in(sig_file);
    for (std::string line; std::getline(in, line);) {
        const auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        fields.push_back(trimmed(line.substr(colon + 1)));
        if (fields.size() < 6) continue;
        Record r;
        r.hex = fields[2], r.offset = fields[3], r.max_size = std::stoull(fields[1]);
        for (char c : fields[0].substr(fields[0].find('.') + 1))
            r.extension += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        for (std::size_t k = 0; k + 1 < r.hex.size(); k += 2)
            r.header += static_cast<char>(std::stoi(r.hex.substr(k, 2), nullptr, 16));
        records.push_back(std::move(r));
        fields.clear();
    }
    return records;
}

// The record's header where it looks for it in the sector ("nn": anywhere).
inline bool matches(const Record& r, std::string_view sector) {
    if (r.offset == "nn") return sector.find(r.header) != std::string_view::npos;
    const std::size_t at = std::stoul(r.offset) - 1;
    return at <= 506 && at + r.header.size() <= sector.size() && sector.substr(at, r.header.size()) == r.header;
}

struct Carved {
    std::string path;  // under the pass folder: "JPG/GND00001.JPG"
    std::size_t first = 0, last = 0;  // sectors, both in the file
};

// The files a photo pass cuts from sectors [begin, end) of the card: each sector
// matching a record (the first in list order) starts a file that runs to its
// type's maximum size, the next match (that sector included) or the range's end.
inline std::vector<Carved> expected_pass(const std::string& card, const std::vector<Record>& records,
                                         const std::string& prefix, std::size_t begin, std::size_t end) {
    std::vector<std::pair<std::size_t, const Record*>> starts;
    for (std::size_t s = begin; s < end; ++s)
        for (const auto& r : records) {
            if (r.offset == "nn") throw std::runtime_error("records searched anywhere in a sector are not modelled here");
            if (matches(r, std::string_view(card).substr(s * 512, 512))) {
                starts.emplace_back(s, &r);
                break;
            }
        }
    std::vector<Carved> files;
    for (std::size_t k = 0; k < starts.size(); ++k) {
        const auto [s, record] = starts[k];
        std::size_t last = s + (record->max_size + 511) / 512 - 1;
        if (k + 1 < starts.size()) last = std::min(last, starts[k + 1].first);
        char name[32];
        std::snprintf(name, sizeof name, "%s%05zu", prefix.c_str(), k + 1);
        files.push_back({record->extension + "/" + name + "." + record->extension, s, std::min(last, end - 1)});
    }
    return files;
}

}  // namespace salvex::test
