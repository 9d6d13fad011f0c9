#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string_view>

#include "app/numbers.h"
#include "app/text_helpers.h"

namespace {

// Each cut of "abc": the count or index given, and what each helper gives for it.
struct Cut {
    int n;
    const char *left, *right, *from, *upto;
};

TEST(TextHelpers, LeftAndRightClampTheirCountAndReadFromAndUptoTreatOutOfRangeAsEmpty) {
    for (const Cut& c : {Cut{-1, "", "", "", ""}, Cut{0, "", "", "abc", ""}, Cut{1, "a", "c", "bc", "a"},
                         Cut{2, "ab", "bc", "c", "ab"}, Cut{3, "abc", "abc", "", "abc"}, Cut{4, "abc", "abc", "", ""},
                         Cut{10, "abc", "abc", "", ""}}) {
        EXPECT_EQ(Left_Str_substringToIndex("abc", c.n), c.left) << c.n;
        EXPECT_EQ(Right_Str_substringFromIndex("abc", c.n), c.right) << c.n;
        EXPECT_EQ(Read_Str_FromIndex("abc", c.n), c.from) << c.n;
        EXPECT_EQ(Read_Str_Upto_Index("abc", c.n), c.upto) << c.n;
    }
}

// A volume called "Ürlaub📷" is 8 UTF-16 units long: Ü is one, the camera two.
TEST(TextHelpers, PositionsCountUtf16Units) {
    const std::string name = "\xC3\x9Crlaub\xF0\x9F\x93\xB7";
    EXPECT_EQ(salvex::utf16_length(name), 8u);
    EXPECT_EQ(Left_Str_substringToIndex(name, 1), "\xC3\x9C");
    EXPECT_EQ(Read_Str_FromIndex(name, 6), "\xF0\x9F\x93\xB7");
    EXPECT_EQ(Right_Str_substringFromIndex(name, 2), "\xF0\x9F\x93\xB7");
    EXPECT_EQ(Read_Str_Upto_Index(name, 8), name);
    EXPECT_EQ(Read_Str_Upto_Index(name, 9), "");
    // Cutting through the camera's surrogate pair must still give valid UTF-8.
    const std::string cut = Left_Str_substringToIndex(name, 7);
    EXPECT_TRUE(salvex::is_valid_utf8(cut));
    EXPECT_EQ(cut, "\xC3\x9Crlaub\xEF\xBF\xBD");
}

TEST(TextHelpers, FindIsExactCaseSensitiveAndNeverFindsEmpty) {
    EXPECT_FALSE(Find_Str("abc", ""));
    EXPECT_FALSE(Find_Str("abc", "B"));
    EXPECT_TRUE(Find_Str("abc", "bc"));
    EXPECT_TRUE(Find_Str("Salvex Birch Recovery", "Birch"));
    EXPECT_FALSE(Find_Str("", "a"));
}

TEST(TextHelpers, TrimRemovesWhiteSpaceAndLineEndsOnlyAtTheEnds) {
    EXPECT_EQ(Trim_Str("  a b \t\r\n"), "a b");
    EXPECT_EQ(Trim_Str("\r\n"), "");
    EXPECT_EQ(Trim_Str(""), "");
    // No-break space and the ideographic space are white space too.
    EXPECT_EQ(Trim_Str("\xC2\xA0x\xE3\x80\x80"), "x");
    EXPECT_EQ(Trim_Str("\xC3\x9C "), "\xC3\x9C");
}

TEST(TextHelpers, ReplaceAllOccurrences) {
    EXPECT_EQ(Replace_char_in_string("a b  c", " ", "%20"), "a%20b%20%20c");
    EXPECT_EQ(Replace_char_in_string("x\r\ny", "\r\n", "%0A"), "x%0Ay");
    EXPECT_EQ(Replace_char_in_string("aaa", "aa", "b"), "ba");
    EXPECT_EQ(Replace_char_in_string("abc", "", "z"), "abc");
}

TEST(TextHelpers, Utf8Validation) {
    EXPECT_TRUE(salvex::is_valid_utf8("plain \xC3\xA9 \xEF\xBF\xBD"));
    EXPECT_FALSE(salvex::is_valid_utf8("\xFF"));
    EXPECT_FALSE(salvex::is_valid_utf8("\xC3"));            // cut short
    EXPECT_FALSE(salvex::is_valid_utf8("\xC0\xAF"));        // overlong
    EXPECT_FALSE(salvex::is_valid_utf8("\xED\xA0\x80"));    // a surrogate
}

// The two ways a number is read: strict (the text is the number) and the C
// library's lenient way, which the older readers keep.
TEST(TextHelpers, NumbersStrictAndLenient) {
    constexpr auto kMax = std::numeric_limits<std::uint64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    const struct {
        std::string_view text;
        std::optional<std::uint64_t> digits;
        bool found;
        std::int64_t as_signed;
        std::uint64_t as_unsigned;
    } rows[] = {
        {"", {}, false, 0, 0},
        {"42", 42, true, 42, 42},
        {" \t+42x", {}, true, 42, 42},
        {"-5", {}, true, -5, kMax - 4},
        {"+-5", {}, false, 0, 0},
        {"abc", {}, false, 0, 0},
        {"18446744073709551615", kMax, true, std::numeric_limits<std::int64_t>::max(), kMax},
        {"18446744073709551616", {}, true, std::numeric_limits<std::int64_t>::max(), kMax},
        {"-9223372036854775808", {}, true, kMin, std::uint64_t{1} << 63},
        {"-99999999999999999999", {}, true, kMin, kMax},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(salvex::parse_digits(r.text), r.digits) << r.text;
        const auto n = salvex::leading_number(r.text);
        EXPECT_EQ(n.found, r.found) << r.text;
        EXPECT_EQ(n.as_signed(), r.as_signed) << r.text;
        EXPECT_EQ(n.as_unsigned(), r.as_unsigned) << r.text;
    }
    EXPECT_EQ(salvex::leading_number("  12ab").end, 4u);
    EXPECT_EQ(salvex::parse_digits("fF", 16), 255u);
    EXPECT_EQ(salvex::parse_digits("0x1", 16), std::nullopt);
    EXPECT_EQ(salvex::parse_digits("040", 8), 32u);
    EXPECT_EQ(salvex::parse_digits("8", 8), std::nullopt);
    EXPECT_EQ(salvex::parse_signed_digits("-9223372036854775808"), kMin);
    EXPECT_EQ(salvex::parse_signed_digits("9223372036854775808"), std::nullopt);
    EXPECT_EQ(salvex::parse_signed_digits("+1"), std::nullopt);
}

}  // namespace
