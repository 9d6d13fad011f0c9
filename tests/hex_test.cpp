#include <gtest/gtest.h>

#include "signatures/hex.h"

namespace {

TEST(Hex, DigitsOfEitherCaseAndZeroForAnythingElse) {
    EXPECT_EQ(hex2dec("1"), 1);
    EXPECT_EQ(hex2dec("9"), 9);
    EXPECT_EQ(hex2dec("a"), 10);
    EXPECT_EQ(hex2dec("F"), 15);
    EXPECT_EQ(hex2dec("0"), 0);
    EXPECT_EQ(hex2dec("G"), 0);
    EXPECT_EQ(hex2dec(" "), 0);
    EXPECT_EQ(hex2dec(""), 0);
}

TEST(Hex, ReadsBytesAndWrapsAtThirtyTwoBits) {
    EXPECT_EQ(hex2int(""), 0);
    EXPECT_EQ(hex2int("0a"), 10);
    EXPECT_EQ(hex2int("0A"), 10);
    EXPECT_EQ(hex2int("FF"), 255);
    EXPECT_EQ(hex2int("ff"), 255);
    EXPECT_EQ(hex2int("G1"), 1);
    EXPECT_EQ(hex2int("0x"), 0);  // a 0x prefix reads as the byte 0
    EXPECT_EQ(hex2int(" D"), 13);
    EXPECT_EQ(hex2int("7FFFFFFF"), 2147483647);
    EXPECT_EQ(hex2int("FFFFFFFF"), -1);
    EXPECT_EQ(hex2int("80000000"), INT32_MIN);
    EXPECT_EQ(hex2int("1FFFFFFFF"), -1);  // digits past eight fall away
}

}  // namespace
