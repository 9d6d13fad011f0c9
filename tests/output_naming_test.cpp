#include <gtest/gtest.h>

#include "app/globals.h"
#include "engine/output_naming.h"
#include "support/scan_harness.h"

using salvex::SignatureList;
using salvex::kPhotoMode;
using salvex::kVideoMode;

namespace {

using salvex::count_one_file;
using salvex::file_name_for;
using salvex::FolderCounterTable;

TEST(OutputNaming, NumbersArePaddedToFiveDigitsAndLongerOnesWrittenInFull) {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {1, "GND00001.JPG"},   {9, "GND00009.JPG"},     {10, "GND00010.JPG"},     {99, "GND00099.JPG"},
        {100, "GND00100.JPG"}, {9999, "GND09999.JPG"},  {10000, "GND10000.JPG"}, {123456, "GND123456.JPG"}};
    for (const auto& [n, name] : cases) EXPECT_EQ(file_name_for(n, "GND", "JPG"), name);
    EXPECT_EQ(Generate_File_UID_Num(7, true, "PNG"), "THD00007.PNG");
    EXPECT_EQ(Generate_File_UID_Num(7, false, "PNG"), "GND00007.PNG");
}

TEST(OutputNaming, CountersFollowFirstOccurrenceAndAreCaseSensitive) {
    FolderCounterTable table;
    SignatureList list;
    for (const char* ext : {"JPG", "PNG", "JPG", "jpg"}) {
        const auto r = salvex::test::record(ext, 512, "FFD8");
        list.insert(list.end(), r.begin(), r.end());
    }
    salvex::fill_folder_counters(list, table);
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[0].key, "JPG");
    EXPECT_EQ(table[1].key, "PNG");
    EXPECT_EQ(table[2].key, "jpg");
    EXPECT_EQ(table[0].count, -1);
    EXPECT_EQ(count_one_file(table, "JPG"), "JPG");
    EXPECT_EQ(table[0].count, 0);
}

TEST(OutputNaming, TypeFolderRollsOverEveryFiftyThousandFilesUpToNineHundredNinetyNine) {
    FolderCounterTable table{{"JPG", -1, "JPG"}};
    for (int i = 0; i < 50000; ++i) ASSERT_EQ(count_one_file(table, "JPG"), "JPG");
    EXPECT_EQ(count_one_file(table, "JPG"), "JPG_001");  // the 50001st
    EXPECT_EQ(table[0].count, 0);

    table = {{"JPG", 49999, "JPG_998"}};
    EXPECT_EQ(count_one_file(table, "JPG"), "JPG_999");
    table[0].count = 49999;
    EXPECT_EQ(count_one_file(table, "JPG"), "JPG_999");  // no folder after _999
    EXPECT_EQ(count_one_file(table, "JPG"), "JPG_999");
    EXPECT_EQ(table[0].count, 50001);
}

TEST(OutputNaming, RolloverNamesFromFolderNames) {
    // No folder after _999; the name is trimmed first.
    for (const auto& [folder, next] : {std::pair{"JPEG", "JPEG_001"}, {"JPEG_001", "JPEG_002"}, {"JPG_009", "JPG_010"},
                                       {"JPG_099", "JPG_100"}, {"RAW_X", "RAW_001"}, {"JPG_999", ""}, {" _5", "_006"}})
        EXPECT_EQ(salvex::next_rollover_folder(folder), next) << folder;
}

TEST(OutputNaming, ModesOtherThanPhotoContinueTheSummaryCount) {
    salvex::test::ScanHarness h;
    h.controller.nsSIGFileInfoDataObject = {
        {{"FileTypes", "MP4"}, {"NoOfFile", "7"}, {"FileTypes_Hidden", "MP4"}},
        {{"FileTypes", "MOV"}, {"NoOfFile", "41"}, {"FileTypes_Hidden", "MOV"}},
    };
    Recovery_MODE = kVideoMode;
    EXPECT_EQ(h.controller.Generate_File_Name(3, "MOV", "MOV"), "MOV00042.MOV");
    EXPECT_EQ(h.controller.Generate_File_Name(3, "AVI", "AVI"), "AVI00003.AVI");  // no row: number kept
    Recovery_MODE = kPhotoMode;
    EXPECT_EQ(h.controller.Generate_File_Name(3, "MOV", "MOV"), "MOV00003.MOV");
}

}  // namespace
