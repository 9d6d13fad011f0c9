#include <gtest/gtest.h>

#include "signatures/signature_loader.h"
#include "support/temp_folder.h"

namespace {

SignatureList parse(const std::string& text) {
    SignatureList list;
    parse_signature_text(text, list);
    return list;
}

const char* kJpeg =
    "Extension : .jpg\n"
    "Max_File_Size : 41943040\n"
    "Header : ffd8ffe0\n"
    "Header_Offset : 1\n"
    "Reserved : 0\n"
    "Description : JPEG image\n";

TEST(SignatureLoader, OneRecordGetsItsSixFieldsAndTheFirstByte) {
    const auto list = parse(kJpeg);
    ASSERT_EQ(list.size(), 7u);
    EXPECT_EQ(list[kExtension], "JPG");
    EXPECT_EQ(list[kMax_File_Size], "41943040");
    EXPECT_EQ(list[kHeader], "ffd8ffe0");  // stored as written
    EXPECT_EQ(list[kHeader_Offset], "1");
    EXPECT_EQ(list[kReserved], "0");
    EXPECT_EQ(list[kDescription], "JPEG image");
    EXPECT_EQ(list[kFirst_Byte], "255");
}

TEST(SignatureLoader, FullStopRuleAppliesToEveryField) {
    const auto list = parse(
        "E : jpg\n"
        "S : 512\n"
        "Header : 4d4D\n"
        "O : nn\n"
        "R : 0\n"
        "D : Version 2.1 document\n"
        "E : .tar.gz\n"
        "S : 1\n"
        "Header : 1f8b\n"
        "O : 1\n"
        "R : 0\n"
        "D : Mixed Case Kept\n");
    ASSERT_EQ(list.size(), 14u);
    EXPECT_EQ(list[kExtension], "jpg");                 // no full stop: unchanged
    EXPECT_EQ(list[kHeader], "4d4D");                   // case kept without a full stop
    EXPECT_EQ(list[kDescription], "1 DOCUMENT");        // after the first full stop, capitals
    EXPECT_EQ(list[7 + kExtension], "TAR.GZ");          // only the first full stop splits
    EXPECT_EQ(list[7 + kDescription], "Mixed Case Kept");
    EXPECT_EQ(list[7 + kFirst_Byte], "31");
}

TEST(SignatureLoader, OnlyTheExactHeaderKeySetsTheFirstByte) {
    for (const char* header_line : {"Header: FFD8\n", "  Header : FFD8\n", "header : FFD8\n"}) {
        const auto list = parse(std::string("E : .jpg\nS : 1\n") + header_line + "O : 1\nR : 0\nD : x\n");
        ASSERT_EQ(list.size(), 7u) << header_line;
        EXPECT_EQ(list[kHeader], "FFD8") << header_line;
        EXPECT_EQ(list[kFirst_Byte], "") << header_line;
    }
    // The key is not read otherwise: a "Header :" line in any position sets the
    // first byte of its record, and the last one in the record wins.
    const auto list = parse("Header : 42\nS : 1\nHeader : 89\nO : 1\nR : 0\nD : x\n");
    ASSERT_EQ(list.size(), 7u);
    EXPECT_EQ(list[kExtension], "42");
    EXPECT_EQ(list[kFirst_Byte], "137");
}

TEST(SignatureLoader, ValuesKeepLaterColonsAndCommentsWithoutColonsCountForNothing) {
    const auto list = parse(
        "# photo signatures\n"
        "\n"
        "Extension : .png\n"
        "Max_File_Size : 1000\n"
        "   a comment line without a colon\n"
        "Header : 89504E47\n"
        "Header_Offset : 1\n"
        "\n"
        "Reserved : a:b:c\n"
        "Description : PNG image\n"
        "trailing words\n");
    ASSERT_EQ(list.size(), 7u);
    EXPECT_EQ(list[kReserved], "a:b:c");
    EXPECT_EQ(list[kDescription], "PNG image");
    // A comment with a colon takes a field position and shifts what follows.
    const auto shifted = parse(std::string("note: this shifts\n") + kJpeg);
    ASSERT_EQ(shifted.size(), 7u);
    EXPECT_EQ(shifted[kExtension], "this shifts");
    EXPECT_EQ(shifted[kHeader], "41943040");
}

TEST(SignatureLoader, CrLfLoadsLikeLfAndLoneCrIsOneLine) {
    std::string crlf;
    for (const char* p = kJpeg; *p; ++p) {
        if (*p == '\n') crlf += '\r';
        crlf += *p;
    }
    EXPECT_EQ(parse(crlf), parse(kJpeg));
    std::string cr_only = kJpeg;
    for (auto& c : cr_only) if (c == '\n') c = '\r';
    EXPECT_TRUE(parse(cr_only).empty());  // one field line only
}

TEST(SignatureLoader, StrideOfSevenHoldsForTwelveFieldsAndLeftoversAreDropped) {
    const std::string two = std::string(kJpeg) + kJpeg;
    EXPECT_EQ(parse(two).size(), 14u);
    // A file cut short in its third record keeps the two whole records.
    EXPECT_EQ(parse(two + "Extension : .gif\nMax_File_Size : 10\n").size(), 14u);
}

TEST(SignatureLoader, RecordWithAHeaderShorterThanOneByteIsDropped) {
    const auto list = parse(std::string("E : .x\nS : 1\nHeader : F\nO : 1\nR : 0\nD : x\n") + kJpeg +
                            "E : .y\nS : 1\nHeader :\nO : 1\nR : 0\nD : y\n");
    ASSERT_EQ(list.size(), 7u);
    EXPECT_EQ(list[kExtension], "JPG");
    // A short header replaced by a good one later in the same record keeps it.
    const auto mended = parse("E : .z\nS : 1\nHeader : F\nHeader : 47494638\nR : 0\nD : z\n");
    ASSERT_EQ(mended.size(), 7u);
    EXPECT_EQ(mended[kFirst_Byte], "71");
}

TEST(SignatureLoader, LooseHeaderSpellingsAreStoredNotRejected) {
    const auto list = parse("E : .a\nS : 1\nHeader : 0xFF\nO : 1\nR : 0\nD : a\n"
                            "E : .b\nS : 1\nHeader : FF D8\nO : 1\nR : 0\nD : b\n");
    ASSERT_EQ(list.size(), 14u);
    EXPECT_EQ(list[kHeader], "0xFF");
    EXPECT_EQ(list[kFirst_Byte], "0");
    EXPECT_EQ(list[7 + kHeader], "FF D8");
    EXPECT_EQ(list[7 + kFirst_Byte], "255");
}

TEST(SignatureLoader, UnreadableFilesLeaveTheListAsItWas) {
    salvex::test::TempFolder dir;
    SignatureList list{"kept"};
    load_signature_file(dir / "missing.sig", list);
    load_signature_file(dir.path(), list);  // a folder
    load_signature_file(dir.write("latin1.sig", std::string(kJpeg) + "Extension : caf\xE9\n"), list);
    EXPECT_EQ(list, SignatureList{"kept"});

    load_signature_file(dir.write("good.sig", kJpeg), list);
    EXPECT_EQ(list.size(), 8u);  // appended after what was there
}

}  // namespace
