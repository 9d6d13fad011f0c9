#pragma once
// Recognising a file header in one 512-byte sector. Each record's hex header is
// decoded once per pass; the sector loop then only compares bytes.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "signatures/signature_list.h"

namespace salvex {

inline constexpr std::size_t kSectorSize = 512;
// A numeric offset may place a header's first byte at most here.
inline constexpr int kLastNumericStart = 506;

struct DecodedRecord {
    enum class Offset { AtStart, Anywhere, At };
    Offset offset = Offset::AtStart;
    int start = 0;              // zero-based position for Offset::At (may be out of the sector)
    int first_byte = 0;         // the loader's First_Byte; an empty text counts as 0
    std::vector<std::uint8_t> header;
    std::uint64_t max_size = 0; // Max_File_Size read as signed 64-bit, used unsigned
    std::size_t index = 0;      // position of the record's first text in its list
    int gate_position() const { return offset == Offset::At ? start : 0; }
};

// Throws std::out_of_range when the list's length is not a whole number of records.
std::vector<DecodedRecord> decode_records(const SignatureList& list);

// One record against one sector. Bytes that would lie past the sector's end
// compare as unequal.
bool record_matches(const DecodedRecord& record, const std::uint8_t* sector);

// The records of a pass in list order, with a table per gate position that
// rejects at once a sector whose byte there starts no record's header.
class HeaderSearch {
public:
    explicit HeaderSearch(std::vector<DecodedRecord> records);
    // Index into records() of the first record that matches, or -1.
    int first_match(const std::uint8_t* sector) const;
    const std::vector<DecodedRecord>& records() const { return records_; }
    bool empty() const { return records_.empty(); }

private:
    struct Gate {
        int position;
        std::array<bool, 256> starts{};
    };
    std::vector<DecodedRecord> records_;
    std::vector<Gate> gates_;
};

}  // namespace salvex
