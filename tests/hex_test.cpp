#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

#include "signatures/hex.h"

namespace {

TEST(Hex, DigitsOfEitherCaseAndZeroForAnythingElse) {
    for (const auto& [text, value] : {std::pair{"1", 1}, {"9", 9}, {"a", 10}, {"F", 15}, {"0", 0}, {"G", 0}, {" ", 0}, {"", 0}})
        EXPECT_EQ(hex2dec(text), value) << '"' << text << '"';
}

TEST(Hex, ReadsBytesAndWrapsAtThirtyTwoBits) {
    // A 0x prefix reads as the byte 0; digits past eight fall away.
    for (const auto& [text, value] :
         {std::pair{"", 0}, {"0a", 10}, {"0A", 10}, {"FF", 255}, {"ff", 255}, {"G1", 1}, {"0x", 0}, {" D", 13},
          {"7FFFFFFF", 2147483647}, {"FFFFFFFF", -1}, {"80000000", INT32_MIN}, {"1FFFFFFFF", -1}})
        EXPECT_EQ(hex2int(text), value) << '"' << text << '"';
}

}  // namespace
