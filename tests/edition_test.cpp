#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/edition_profile.h"
#include "app/globals.h"
#include "app/my_table_controller.h"
#include "support/bundle_maker.h"
#include "support/recording_view.h"

using salvex::kPhotoMode;
using salvex::kVideoMode;
using salvex::kRawFileMode;
using salvex::kAudioMode;

namespace {

using salvex::test::make_bundle;
using salvex::test::RecordingView;
using salvex::test::TempFolder;

const std::string kRecord =
    "Extension : .jpg\nMax_File_Size : 1024\nHeader : FFD8FF\nHeader_Offset : 1\nReserved : 0\nDescription : JPEG\n";

class EditionTest : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1); }
    void TearDown() override { ::unsetenv("XDG_DATA_HOME"); }

    TempFolder home;
    RecordingView view;
};

TEST_F(EditionTest, FirstKeyInTableOrderWins) {
    EXPECT_EQ(salvex::select_edition("Dogwood Birch")->key, "Birch");
    EXPECT_EQ(salvex::select_edition("Salvex Elm Recovery")->key, "Elm");
    EXPECT_EQ(salvex::select_edition("birch"), nullptr);  // case-sensitive
    EXPECT_EQ(salvex::select_edition(""), nullptr);
}

// The one place the editions' table is held against what a bundle of each
// makes of the controller; the window and salvex-scan follow the controller.
TEST_F(EditionTest, EachEditionSetsNamesFlagsModesAndSignatureFiles) {
    for (const salvex::EditionProfile& e : salvex::kEditions) {
        const std::string name(e.long_name), prefix(e.prefix);
        SCOPED_TRACE(name);
        MyTableController c(view, salvex::bundle_at(make_bundle(home, name)));
        EXPECT_EQ(MyTableController::defaultInstance(), &c);
        EXPECT_EQ(Main_App_wnd, &c);
        EXPECT_EQ(APP_LONG_NAME, name);
        EXPECT_EQ(c.App_Name, name);
        EXPECT_EQ(c.Rec_Folder_Name, name + " Results");
        EXPECT_EQ(USE_HARD_DISK, e.use_hard_disk);  // never left over from the edition before
        EXPECT_EQ(c.photo_dll, prefix + "Photo.sig");
        EXPECT_EQ(c.photo_dll_adv, prefix + "PhotoAdv.sig");
        EXPECT_EQ(c.video_dll, e.video ? prefix + "Video.sig" : "");
        EXPECT_EQ(c.raw_dll_adv, e.raw_file ? prefix + "RawAdv.sig" : "");
        EXPECT_EQ(c.audio_dll, e.audio ? prefix + "Audio.sig" : "");
        EXPECT_EQ(std::vector<bool>({c.mode_is_offered(kPhotoMode), c.mode_is_offered(kVideoMode),
                                     c.mode_is_offered(kRawFileMode), c.mode_is_offered(kAudioMode)}),
                  std::vector<bool>({true, e.video, e.raw_file, e.audio}));
        EXPECT_EQ(c.Website_3, c.Website_1);
        EXPECT_EQ(c.Website_4, c.Website_1);
        EXPECT_TRUE(c.Website_1.starts_with("https://www."));
        EXPECT_EQ(c.Prev_Index, (std::uint64_t{1} << 63) - 1);
        EXPECT_EQ(Recovery_MODE.load(), kPhotoMode);
    }
    const salvex::EditionProfile& first = salvex::kEditions.front();
    MyTableController again(view, salvex::bundle_at(make_bundle(home, std::string(first.long_name))));
    EXPECT_EQ(USE_HARD_DISK, first.use_hard_disk);
}

TEST_F(EditionTest, UnknownNameOrMissingInfoPlistGivesTheNoEditionProfile) {
    {
        MyTableController named(view, salvex::bundle_at(make_bundle(home, "Photo Rescue")));
        EXPECT_EQ(APP_LONG_NAME, "");
        EXPECT_EQ(named.photo_dll, "");
        EXPECT_TRUE(named.mode_is_offered(kPhotoMode));
        EXPECT_FALSE(named.mode_is_offered(kVideoMode));
        named.load_signature_catalogue();
        EXPECT_TRUE(named.Ext_Array.empty());
        EXPECT_TRUE(named.signature_file_problems.empty());  // no file named, none missing
    }
    home.write("Bare.app/Contents/MacOS/Bare", "");
    MyTableController bare(view, salvex::bundle_of_executable(home / "Bare.app/Contents/MacOS/Bare"));
    EXPECT_EQ(bare.App_Name, "");
    EXPECT_EQ(bare.Rec_Folder_Name, " Results");
    EXPECT_EQ(APP_LONG_NAME, "");
    // An executable outside any bundle belongs to none.
    EXPECT_EQ(salvex::bundle_of_executable(home / "salvex").name, "");
}

TEST_F(EditionTest, PerUserFolderIsMadeFromTheTrimmedName) {
    MyTableController c(view, salvex::bundle_at(make_bundle(home, " Salvex Elm Recovery ")));
    EXPECT_EQ(c.Created_Resource_Path, home / "data/Salvex Elm Recovery");
    EXPECT_TRUE(std::filesystem::is_directory(c.Created_Resource_Path));
    EXPECT_EQ(APP_LONG_NAME, "Salvex Elm Recovery");
}

TEST_F(EditionTest, SupportLinkCarriesNoRawBlankLineBreakOrQuote) {
    MyTableController birch(view, salvex::bundle_at(make_bundle(home, "Salvex Birch Recovery")));
    const std::string& link = birch.support_with_content;
    EXPECT_TRUE(link.starts_with("mailto:" + birch.support_id + "?subject=Salvex%20Birch%20Recovery%20Question&body="));
    EXPECT_NE(link.find("using%20Salvex%20Birch%20Recovery.%20%0A%0AMy%20Order%20ID"), std::string::npos);
    EXPECT_TRUE(link.ends_with("screenshot%20(if%20any):%20"));

    const std::string odd = salvex::support_mail_link(" help@x.example", "A \"B\"\r\nC\nD");
    EXPECT_EQ(odd.find_first_of(" \r\n\""), std::string::npos);
    EXPECT_TRUE(odd.starts_with("mailto:%20help@x.example?subject=A%20%22B%22%0AC%0AD%20Question"));
}

TEST_F(EditionTest, CatalogueLoadsEachModeByItsGeneralNameOnly) {
    const std::string bundle = make_bundle(home, "Salvex Birch Recovery",
                                           {{"BIRPhoto.sig", kRecord}, {"BIRVideo.sig", kRecord},
                                            {"BIRVideoAdv.sig", kRecord + kRecord}, {"BIRRawAdv.sig", kRecord},
                                            {"VID.sig", kRecord}});
    MyTableController c(view, salvex::bundle_at(bundle));
    c.CheckListHeader_Array = {"left", "over"};
    c.load_signature_catalogue();
    EXPECT_EQ(c.Ext_Array.size(), 7u);
    EXPECT_TRUE(c.Adv_Ext_Array.empty());  // the thorough photo file is missing
    EXPECT_EQ(c.Video_Array.size(), 7u);
    EXPECT_EQ(c.Adv_Video_Array.size(), 14u);
    EXPECT_TRUE(c.RawFile_Array.empty());
    EXPECT_EQ(c.Adv_RawFile_Array.size(), 7u);  // the general file alone is missing
    EXPECT_TRUE(c.CheckListHeader_Array.empty());
    // Each loaded file that gave nothing is named, by mode, for the start-up message.
    std::vector<std::pair<std::int32_t, std::string>> problems;
    for (const auto& p : c.signature_file_problems)
        problems.emplace_back(p.mode, std::filesystem::path(p.path).filename().string() + ": " + p.cause);
    EXPECT_EQ(problems, (decltype(problems){{kPhotoMode, "BIRPhotoAdv.sig: missing"}, {kRawFileMode, "BIRRaw.sig: missing"},
                                            {kAudioMode, "BIRAudio.sig: missing"}, {kAudioMode, "BIRAudioAdv.sig: missing"}}));

    // A general name of four characters leaves both lists of the mode empty.
    c.video_dll = "VID.";
    c.load_signature_catalogue();
    EXPECT_TRUE(c.Video_Array.empty());
    EXPECT_TRUE(c.Adv_Video_Array.empty());
    c.video_dll = "VID.sig";
    c.load_signature_catalogue();
    EXPECT_EQ(c.Video_Array.size(), 7u);
}

}  // namespace
