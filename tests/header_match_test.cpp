#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <utility>

#include "engine/header_match.h"
#include "support/scan_harness.h"

using salvex::SignatureList;
using salvex::kMax_File_Size;
using salvex::kHeader_Offset;
using salvex::kFirst_Byte;

namespace {

using salvex::decode_records;
using salvex::record_matches;
using salvex::test::record;
using salvex::test::operator+;
using Sector = std::array<std::uint8_t, 512>;

// A sector of zeros holding the given bytes from the given offsets.
Sector sector(std::initializer_list<std::pair<std::size_t, std::vector<std::uint8_t>>> parts) {
    Sector s{};
    for (const auto& [at, bytes] : parts) std::copy(bytes.begin(), bytes.end(), s.begin() + static_cast<long>(at));
    return s;
}

bool matches(const SignatureList& list, const Sector& s) { return record_matches(decode_records(list).at(0), s.data()); }

TEST(HeaderMatch, OffsetOneMeansByteZero) {
    const Sector jpeg = sector({{0, {0xFF, 0xD8, 0xFF}}});
    EXPECT_TRUE(matches(record("JPG", 1, "FFD8FF"), jpeg));
    EXPECT_FALSE(matches(record("JPG", 1, "FFD8FF"), sector({{0, {0xFF, 0xD8}}})));
    EXPECT_FALSE(matches(record("X", 1, "F"), jpeg));  // no whole byte: never a match
}

TEST(HeaderMatch, AnywhereSkipsAheadOnlyWhileBytesEqualTheFirstByte) {
    EXPECT_TRUE(matches(record("JPG", 1, "FFD8", "nn"), sector({{0, {0xFF, 0xFF, 0xFF, 0xFF, 0xD8}}})));
    // The first candidate differs: the record gives up at once.
    EXPECT_FALSE(matches(record("JPG", 1, "FFD8", "nn"), sector({{1, {0xFF, 0xFF, 0xFF, 0xD8}}})));
    EXPECT_TRUE(matches(record("AB", 1, "4142", "nn"), sector({{0, {0x41, 0x41, 0x42}}})));  // partial at 0, full at 1
    EXPECT_FALSE(matches(record("AB", 1, "4142", "nn"), sector({{0, {0x41}}, {100, {0x41, 0x42}}})));  // a gap breaks the chain
}

TEST(HeaderMatch, NumericOffsetCountsFromOneAndStopsAt506) {
    EXPECT_TRUE(matches(record("JPG", 1, "FFD8", "4"), sector({{0, {0x11}}, {3, {0xFF, 0xD8}}})));  // whatever bytes 0 to 2 hold
    EXPECT_TRUE(matches(record("X", 1, "ABCD", "507"), sector({{506, {0xAB, 0xCD}}})));
    const Sector end = sector({{508, {0xAB, 0xCD}}});
    EXPECT_FALSE(matches(record("X", 1, "ABCD", "509"), end));
    for (const char* offset : {"508", "0", "-40"}) EXPECT_FALSE(matches(record("X", 1, "AB", offset), end)) << offset;
}

TEST(HeaderMatch, BytesPastTheSectorEndCompareAsUnequal) {
    const Sector s = sector({{504, std::vector<std::uint8_t>(8, 0x5A)}});
    // Five bytes from 507 would need byte 512.
    EXPECT_FALSE(matches(record("X", 1, "5A5A5A5A5A", "508"), s));
    EXPECT_FALSE(matches(record("X", 1, "5A5A5A5A5A5A5A5A5A", "505"), s));
    EXPECT_TRUE(matches(record("X", 1, "5A5A5A5A5A", "505"), s));
    Sector ff{};
    ff.fill(0xFF);
    EXPECT_FALSE(matches(record("X", 1, "FFFF00", "nn"), ff));
}

TEST(HeaderMatch, FirstRecordInListOrderWinsAndGatesRejectOtherSectors) {
    const salvex::HeaderSearch search(
        decode_records(record("JPG", 1, "FFD8") + record("PNG", 1, "FFD8FF") + record("WEBP", 1, "57454250", "9")));
    EXPECT_EQ(search.first_match(sector({{0, {0xFF, 0xD8, 0xFF}}}).data()), 0);
    EXPECT_EQ(search.first_match(sector({{8, {'W', 'E', 'B', 'P'}}}).data()), 2);
    EXPECT_EQ(search.first_match(sector({{8, {'V', 'E', 'B', 'P'}}}).data()), -1);
}

TEST(HeaderMatch, DecodingReadsFieldsOnceAndRefusesABrokenStride) {
    auto list = record("JPG", 1000, "ffd8");
    const auto d = decode_records(list).at(0);
    EXPECT_EQ(d.header, (std::vector<std::uint8_t>{0xFF, 0xD8}));
    EXPECT_EQ(d.max_size, 1000u);
    list[kFirst_Byte] = "";
    EXPECT_EQ(decode_records(list).at(0).first_byte, 0);  // empty counts as 0
    list[kMax_File_Size] = "-1";
    EXPECT_EQ(decode_records(list).at(0).max_size, UINT64_MAX);  // read signed, used unsigned
    // Numbers far out of range mean "never", not a wrapped-around position or byte.
    const Sector s = sector({{0, {0xFF, 0xD8}}});
    list[kMax_File_Size] = "1";
    list[kHeader_Offset] = "-9223372036854775808";
    EXPECT_FALSE(record_matches(decode_records(list).at(0), s.data()));
    list[kHeader_Offset] = "1";
    list[kFirst_Byte] = "4294967551";  // 255 + 2^32
    EXPECT_FALSE(record_matches(decode_records(list).at(0), s.data()));
    list.pop_back();
    EXPECT_THROW(decode_records(list), std::out_of_range);
}

}  // namespace
