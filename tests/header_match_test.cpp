#include <gtest/gtest.h>

#include <array>
#include <stdexcept>

#include "engine/header_match.h"
#include "support/scan_harness.h"

namespace {

using salvex::decode_records;
using salvex::record_matches;
using salvex::test::record;
using Sector = std::array<std::uint8_t, 512>;

bool matches(const SignatureList& list, const Sector& sector) {
    return record_matches(decode_records(list).at(0), sector.data());
}

TEST(HeaderMatch, OffsetOneMeansByteZero) {
    Sector s{};
    s[0] = 0xFF; s[1] = 0xD8; s[2] = 0xFF;
    EXPECT_TRUE(matches(record("JPG", 1, "FFD8FF"), s));
    s[2] = 0;
    EXPECT_FALSE(matches(record("JPG", 1, "FFD8FF"), s));
    EXPECT_FALSE(matches(record("X", 1, "F"), s));  // no whole byte: never a match
}

TEST(HeaderMatch, AnywhereSkipsAheadOnlyWhileBytesEqualTheFirstByte) {
    Sector s{};
    s[0] = s[1] = s[2] = s[3] = 0xFF;
    s[4] = 0xD8;
    EXPECT_TRUE(matches(record("JPG", 1, "FFD8", "nn"), s));
    s[0] = 0x00;  // the first candidate differs: the record gives up at once
    EXPECT_FALSE(matches(record("JPG", 1, "FFD8", "nn"), s));

    Sector t{};
    t[0] = 0x41; t[1] = 0x41; t[2] = 0x42;  // "AAB": partial match at 0, full at 1
    EXPECT_TRUE(matches(record("AB", 1, "4142", "nn"), t));
    Sector u{};
    u[0] = 0x41; u[100] = 0x41; u[101] = 0x42;  // a gap breaks the chain
    EXPECT_FALSE(matches(record("AB", 1, "4142", "nn"), u));
}

TEST(HeaderMatch, NumericOffsetCountsFromOneAndStopsAt506) {
    Sector s{};
    s[0] = 0x11;
    s[3] = 0xFF; s[4] = 0xD8;
    EXPECT_TRUE(matches(record("JPG", 1, "FFD8", "4"), s));  // whatever bytes 0 to 2 hold

    Sector end{};
    end[506] = 0xAB; end[507] = 0xCD;
    EXPECT_TRUE(matches(record("X", 1, "ABCD", "507"), end));
    end[507] = 0; end[508] = 0xAB; end[509] = 0xCD;
    EXPECT_FALSE(matches(record("X", 1, "ABCD", "509"), end));
    EXPECT_FALSE(matches(record("X", 1, "AB", "508"), end));
    EXPECT_FALSE(matches(record("X", 1, "AB", "0"), end));
    EXPECT_FALSE(matches(record("X", 1, "AB", "-40"), end));
}

TEST(HeaderMatch, BytesPastTheSectorEndCompareAsUnequal) {
    Sector s{};
    for (std::size_t i = 504; i < 512; ++i) s[i] = 0x5A;
    // Five bytes from 507 would need byte 512.
    EXPECT_FALSE(matches(record("X", 1, "5A5A5A5A5A", "508"), s));
    EXPECT_FALSE(matches(record("X", 1, "5A5A5A5A5A5A5A5A5A", "505"), s));
    EXPECT_TRUE(matches(record("X", 1, "5A5A5A5A5A", "505"), s));
    Sector ff{};
    ff.fill(0xFF);
    EXPECT_FALSE(matches(record("X", 1, "FFFF00", "nn"), ff));
}

TEST(HeaderMatch, FirstRecordInListOrderWinsAndGatesRejectOtherSectors) {
    SignatureList list = record("JPG", 1, "FFD8");
    const auto png = record("PNG", 1, "FFD8FF");
    list.insert(list.end(), png.begin(), png.end());
    const auto webp = record("WEBP", 1, "57454250", "9");
    list.insert(list.end(), webp.begin(), webp.end());
    const salvex::HeaderSearch search(decode_records(list));
    Sector s{};
    s[0] = 0xFF; s[1] = 0xD8; s[2] = 0xFF;
    EXPECT_EQ(search.first_match(s.data()), 0);
    Sector w{};
    w[8] = 'W'; w[9] = 'E'; w[10] = 'B'; w[11] = 'P';
    EXPECT_EQ(search.first_match(w.data()), 2);
    w[8] = 'V';
    EXPECT_EQ(search.first_match(w.data()), -1);
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
    Sector s{};
    s[0] = 0xFF; s[1] = 0xD8;
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
