#include "engine/header_match.h"

#include <algorithm>
#include <cstdlib>

#include "app/numbers.h"
#include "signatures/hex.h"

namespace salvex {

namespace {

std::int64_t leading_integer(const std::string& text) {
    return leading_number(text).as_signed();  // non-numbers read as 0
}

}  // namespace

std::vector<DecodedRecord> decode_records(const SignatureList& list) {
    std::vector<DecodedRecord> records;
    for (std::size_t r = 0; r < list.size(); r += kSignatureStride) {
        DecodedRecord d;
        d.index = r;
        const std::string& offset = list.at(r + kHeader_Offset);
        const std::string& header = list.at(r + kHeader);
        d.max_size = static_cast<std::uint64_t>(leading_integer(list.at(r + kMax_File_Size)));
        // A first byte beyond any byte's range can never be equal to one.
        const std::int64_t first = leading_integer(list.at(r + kFirst_Byte));
        d.first_byte = first < 0 || first > 255 ? -1 : static_cast<int>(first);
        if (offset == "1") {
            d.offset = DecodedRecord::Offset::AtStart;
        } else if (offset == "nn") {
            d.offset = DecodedRecord::Offset::Anywhere;
        } else {
            d.offset = DecodedRecord::Offset::At;
            // Counted from 1; far outside the sector is as good as just outside it.
            const std::int64_t n = leading_integer(offset);
            d.start = n <= 0 ? -1 : static_cast<int>(std::min<std::int64_t>(n, 1 << 20) - 1);
        }
        d.header.reserve(header.size() / 2);
        for (std::size_t k = 0; k + 1 < header.size(); k += 2)
            d.header.push_back(static_cast<std::uint8_t>(hex2int(std::string_view(header).substr(k, 2))));
        records.push_back(std::move(d));
    }
    return records;
}

bool record_matches(const DecodedRecord& record, const std::uint8_t* sector) {
    const std::size_t n = record.header.size();
    if (n == 0) return false;
    int pos = record.offset == DecodedRecord::Offset::At ? record.start : 0;
    const int limit = record.offset == DecodedRecord::Offset::Anywhere ? static_cast<int>(kSectorSize) : pos + static_cast<int>(n);
    if (pos < 0) return false;
    while (pos < limit && pos < static_cast<int>(kSectorSize) && sector[pos] == record.first_byte &&
           (record.offset != DecodedRecord::Offset::At || pos <= kLastNumericStart)) {
        std::size_t equal = 0;
        while (equal < n && pos < static_cast<int>(kSectorSize) && sector[pos] == record.header[equal]) {
            ++equal;
            ++pos;
        }
        if (equal == n) return true;
        if (record.offset != DecodedRecord::Offset::Anywhere) return false;
        if (equal == 0) ++pos;
    }
    return false;
}

HeaderSearch::HeaderSearch(std::vector<DecodedRecord> records) : records_(std::move(records)) {
    for (const auto& r : records_) {
        const int p = r.gate_position();
        if (p < 0 || p > kLastNumericStart || r.first_byte < 0 || r.first_byte > 255) continue;  // never matches
        Gate* gate = nullptr;
        for (auto& g : gates_) if (g.position == p) gate = &g;
        if (gate == nullptr) gate = &gates_.emplace_back(Gate{p, {}});
        gate->starts[static_cast<std::size_t>(r.first_byte)] = true;
    }
}

int HeaderSearch::first_match(const std::uint8_t* sector) const {
    bool possible = false;
    for (const auto& g : gates_) possible = possible || g.starts[sector[g.position]];
    if (!possible) return -1;
    for (std::size_t i = 0; i < records_.size(); ++i)
        if (record_matches(records_[i], sector)) return static_cast<int>(i);
    return -1;
}

}  // namespace salvex
