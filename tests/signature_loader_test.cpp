#include <gtest/gtest.h>
#include <sys/stat.h>

#include "signatures/signature_loader.h"
#include "support/temp_folder.h"

using salvex::SignatureList;
using salvex::load_signature_file;
using salvex::parse_signature_text;
using salvex::kExtension;
using salvex::kHeader;

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
// The record kJpeg loads as: the header stored as written, the first byte in decimal.
const SignatureList kJpegRecord{"JPG", "41943040", "ffd8ffe0", "1", "0", "JPEG image", "255"};

TEST(SignatureLoader, OneRecordGetsItsSixFieldsAndTheFirstByte) { EXPECT_EQ(parse(kJpeg), kJpegRecord); }

TEST(SignatureLoader, FullStopRuleAppliesToEveryField) {
    // No full stop: unchanged, case kept. After the first full stop (and only the
    // first): capitals.
    EXPECT_EQ(parse("E : jpg\nS : 512\nHeader : 4d4D\nO : nn\nR : 0\nD : Version 2.1 document.x\n"
                    "E : .Gz\nS : 1\nHeader : 1f8b\nO : 1\nR : 0\nD : Mixed Case Kept\n"),
              (SignatureList{"jpg", "512", "4d4D", "nn", "0", "1 DOCUMENT.X", "77",  //
                             "GZ", "1", "1f8b", "1", "0", "Mixed Case Kept", "31"}));
}

// An extension names a folder and the files in it: anything but letters and
// digits drops its record, the records around it stay.
TEST(SignatureLoader, RecordWhoseExtensionIsNoPlainNameIsDropped) {
    for (const char* extension : {".tar.gz", "../up", ".a/b", "two words", ".", "", ".\u00e9t\u00e9", "m\\p4"})
        EXPECT_EQ(parse(std::string(kJpeg) + "E : " + extension + "\nS : 1\nHeader : FFD8\nO : 1\nR : 0\nD : x\n" + kJpeg),
                  parse(std::string(kJpeg) + kJpeg))
            << extension;
}

TEST(SignatureLoader, OnlyTheExactHeaderKeySetsTheFirstByte) {
    for (const char* header_line : {"Header: FFD8\n", "  Header : FFD8\n", "header : FFD8\n"})
        EXPECT_EQ(parse(std::string("E : .jpg\nS : 1\n") + header_line + "O : 1\nR : 0\nD : x\n"),
                  (SignatureList{"JPG", "1", "FFD8", "1", "0", "x", ""}))
            << header_line;
    // The key is not read otherwise: a "Header :" line in any position sets the
    // first byte of its record, and the last one in the record wins.
    EXPECT_EQ(parse("Header : 42\nS : 1\nHeader : 89\nO : 1\nR : 0\nD : x\n"),
              (SignatureList{"42", "1", "89", "1", "0", "x", "137"}));
}

TEST(SignatureLoader, ValuesKeepLaterColonsAndCommentsWithoutColonsCountForNothing) {
    EXPECT_EQ(parse("# photo signatures\n\nExtension : .png\nMax_File_Size : 1000\n   a comment line without a colon\n"
                    "Header : 89504E47\nHeader_Offset : 1\n\nReserved : a:b:c\nDescription : PNG image\ntrailing words\n"),
              (SignatureList{"PNG", "1000", "89504E47", "1", "a:b:c", "PNG image", "137"}));
    // A comment with a colon takes a field position and shifts what follows.
    const auto shifted = parse(std::string("note: shifts\n") + kJpeg);
    ASSERT_EQ(shifted.size(), 7u);
    EXPECT_EQ(shifted[kExtension], "shifts");
    EXPECT_EQ(shifted[kHeader], "41943040");
}

TEST(SignatureLoader, CrLfLoadsLikeLfAndLoneCrIsOneLine) {
    std::string crlf, cr_only;
    for (const char* p = kJpeg; *p; ++p) {
        crlf += *p == '\n' ? std::string("\r\n") : std::string(1, *p);
        cr_only += *p == '\n' ? '\r' : *p;
    }
    EXPECT_EQ(parse(crlf), kJpegRecord);
    EXPECT_TRUE(parse(cr_only).empty());  // one field line only
}

TEST(SignatureLoader, StrideOfSevenHoldsForTwelveFieldsAndLeftoversAreDropped) {
    const std::string two = std::string(kJpeg) + kJpeg;
    EXPECT_EQ(parse(two).size(), 14u);
    // A file cut short in its third record keeps the two whole records.
    EXPECT_EQ(parse(two + "Extension : .gif\nMax_File_Size : 10\n").size(), 14u);
}

TEST(SignatureLoader, RecordWithAHeaderShorterThanOneByteIsDropped) {
    EXPECT_EQ(parse(std::string("E : .x\nS : 1\nHeader : F\nO : 1\nR : 0\nD : x\n") + kJpeg +
                    "E : .y\nS : 1\nHeader :\nO : 1\nR : 0\nD : y\n"),
              kJpegRecord);
    // A short header replaced by a good one later in the same record keeps it.
    EXPECT_EQ(parse("E : .z\nS : 1\nHeader : F\nHeader : 47494638\nR : 0\nD : z\n"),
              (SignatureList{"Z", "1", "F", "47494638", "0", "z", "71"}));
}

TEST(SignatureLoader, LooseHeaderSpellingsAreStoredNotRejected) {
    EXPECT_EQ(parse("E : .a\nS : 1\nHeader : 0xFF\nO : 1\nR : 0\nD : a\nE : .b\nS : 1\nHeader : FF D8\nO : 1\nR : 0\nD : b\n"),
              (SignatureList{"A", "1", "0xFF", "1", "0", "a", "0", "B", "1", "FF D8", "1", "0", "b", "255"}));
}

TEST(SignatureLoader, UnusableFilesLeaveTheListAsItWasAndSayWhy) {
    salvex::test::TempFolder dir;
    ASSERT_EQ(::mkfifo((dir / "fifo.sig").c_str(), 0600), 0);  // opened, it would wait for a writer
    SignatureList list{"kept"};
    for (const auto& [path, why] : {std::pair{dir / "missing.sig", "missing"}, {dir.path(), "not a regular file"},
                                    {dir / "fifo.sig", "not a regular file"},
                                    {dir.write("latin1.sig", std::string(kJpeg) + "Extension : caf\xE9\n"), "not UTF-8 text"},
                                    {dir.write("notes.sig", "# none yet\n"), "holds no signature record"}})
        EXPECT_EQ(load_signature_file(path, list), why) << path;
    EXPECT_EQ(list, SignatureList{"kept"});

    EXPECT_EQ(load_signature_file(dir.write("good.sig", kJpeg), list), "");
    EXPECT_EQ(list.size(), 8u);  // appended after what was there
}

}  // namespace
