// The wizard driven the way a user drives the window: Next and Back through the
// screens, the range and destination choices, help, support and exit.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/globals.h"
#include "platform/folder_lock.h"
#include "support/bundle_maker.h"
#include "support/listed_volumes.h"
#include "support/scan_harness.h"
#include "support/sector_image.h"
#include "app/texts/wizard.h"

using salvex::kPhotoMode;
using salvex::kVideoMode;
using salvex::kRawFileMode;
using salvex::kAudioMode;
using salvex::ScanOutcome;

namespace {

namespace fs = std::filesystem;
using salvex::Outlet;
using salvex::test::ListedVolumes;
using salvex::test::record;
using salvex::test::volume;

constexpr const char* kBirch = "Salvex Birch Recovery";

class Wizard : public ::testing::Test {
protected:
    Wizard() { ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1); }
    ~Wizard() override {
        close();
        Recovery_MODE = kPhotoMode;
        ::unsetenv("XDG_DATA_HOME");
    }

    // Opens the window of an edition whose device list holds these volumes.
    MyTableController& open(const std::string& edition = kBirch, const std::map<std::string, std::string>& resources = {},
                            std::vector<salvex::VolumeInfo> volumes = {volume("sdz1", 512000)}) {
        close();
        c = std::make_unique<MyTableController>(view, salvex::bundle_at(salvex::test::make_bundle(home, edition, resources)));
        c->volume_source = std::make_unique<ListedVolumes>(std::move(volumes));
        c->awakeFromNib();
        return *c;
    }
    void close() {
        if (!c) return;
        c->stop_now = 1;
        run_scan_to_end();
        c.reset();
    }
    // The first volume, taken in the mode, to the range screen.
    void to_range_screen(std::int32_t mode = kPhotoMode) {
        switch (mode) {
            case kVideoMode: c->Video_Mode_Radio(); break;
            case kRawFileMode: c->RawFile_Mode_Radio(); break;
            case kAudioMode: c->Audio_Mode_Radio(); break;
            default: c->Photo_Mode_Radio(); break;
        }
        view.select_row(Outlet::idTableView, 0);
        c->Next_btn();
        ASSERT_EQ(c->screen_counter, 1);
    }
    void browse_to(const std::string& folder) {
        view.answer_folder_chooser(folder);
        c->Browse_Path();
    }
    bool run_scan_to_end() { return salvex::test::finish_scan(*c, view); }
    std::string last_alert() const { return view.alerts().empty() ? "" : view.alerts().back().request.message; }

    salvex::test::TempFolder home;
    salvex::test::RecordingView view;
    std::unique_ptr<MyTableController> c;
};

// --- Start-up and the device screen ---

TEST_F(Wizard, StartsOnTheDeviceScreen) {
    open(kBirch, {{"NoPreview.png", "picture"}});
    EXPECT_EQ(view.window_title(), "Salvex Birch Recovery");
    EXPECT_EQ(view.text(Outlet::help_info), "\nSelect the storage media from List from which you want to recover Data. "
                                            "Press \u2018Next\u2019 button to continue... ");
    EXPECT_TRUE(view.state(Outlet::Thro_Mode_Chk));
    EXPECT_EQ(view.text(Outlet::sector_label), "Sectors 0 of 0");
    EXPECT_EQ(c->nsMutaryOfDataObject.size(), 1u);
    EXPECT_EQ(std::string(c->Null_Image_Data.begin(), c->Null_Image_Data.end()), "picture");
    // This bundle holds no signature file: said at once, not as a read error later.
    ASSERT_EQ(view.alerts().size(), 1u);
    EXPECT_NE(view.alerts()[0].request.message.find(c->bundle().resource_path + "/BIRPhoto.sig: missing"),
              std::string::npos);
}

// No selection at all is checked through the window.
TEST_F(Wizard, NextNeedsASelectedVolumeEvenWithARowLeftOverFromBeforeTheListEmptied) {
    open(kBirch, {}, {});
    view.select_row(Outlet::idTableView, 0);
    c->Next_btn();
    EXPECT_EQ(last_alert(), "\nPlease select a storage media from list.");
    EXPECT_EQ(c->screen_counter, 0);
}

TEST_F(Wizard, NextFillsTheRangeScreenOfTheModesOwnSet) {
    open();
    view.set_text(Outlet::path_Sig, "/chosen/before");
    to_range_screen(kVideoMode);
    EXPECT_EQ(view.text(Outlet::path_Sig), "");
    EXPECT_EQ(view.text(Outlet::disk_val_Sig), "sdz1");
    EXPECT_EQ(view.text(Outlet::end_sector_entire_val_Sig), "1000");
    EXPECT_EQ(view.text(Outlet::disk_val), "");  // the photo set is left alone
    EXPECT_EQ(view.text(Outlet::disk_identifier), "sdz1");
    EXPECT_EQ(view.text(Outlet::sectors_val), "1000");
    EXPECT_TRUE(view.state(Outlet::entire_disk_rd_Sig));
    EXPECT_EQ(view.value(Outlet::End_Slider_Sig), 1000u);
    EXPECT_EQ(view.text(Outlet::Start_Sec_Max_val_Sig), "1000");
    EXPECT_EQ(view.text(Outlet::Search_Type), "Search Type : Recover Video");
    EXPECT_FALSE(view.hidden(Outlet::browse_path_Sig));
}

// --- Next on the range screen ---

TEST_F(Wizard, RangeChecksRefuseBadSectorsAndStay) {
    open();
    to_range_screen(kVideoMode);
    browse_to("/dest");
    c->Sector_Range_Radio_Sig();
    const std::string bad_start = "\nPlease enter valid Start Sector value.";
    const std::string bad_end = "\nPlease enter valid End Sector value.";
    const std::string not_after = "\nEnd Sector should be greater than Start Sector.";
    const struct {
        const char *start, *end;
        const std::string& message;  // focus goes to the start field for bad_start, else to the end field
    } cases[] = {{"12a", "500", bad_start}, {"00005", "500", bad_start} /* longer than "1000" */, {"", "500", bad_start},
                 {"-1", "500", bad_start},  {"1,0", "500", bad_start},  {"0", "1001", bad_end},
                 {"0", " 12", bad_end},     {"0", "", bad_end},         {"500", "500", not_after},
                 {"600", "500", not_after}};
    for (const auto& k : cases) {
        view.set_text(Outlet::Start_slider_val_Sig, k.start);
        view.set_text(Outlet::End_slider_val_Sig, k.end);
        c->Next_btn();
        EXPECT_EQ(last_alert(), k.message) << k.start << " .. " << k.end;
        EXPECT_EQ(view.focused(), &k.message == &bad_start ? Outlet::Start_slider_val_Sig : Outlet::End_slider_val_Sig)
            << k.start << " .. " << k.end;
        EXPECT_EQ(c->screen_counter, 1);
        EXPECT_FALSE(view.hidden(Outlet::Start_Slider_Sig));
    }
    const std::size_t alerts = view.alerts().size();
    view.set_text(Outlet::Start_slider_val_Sig, "0");
    view.set_text(Outlet::End_slider_val_Sig, "1000");
    c->Next_btn();
    EXPECT_EQ(view.alerts().size(), alerts);
    EXPECT_EQ(c->screen_counter, 2);
}

TEST_F(Wizard, SwitchingModeAsksForTheDestinationAgain) {
    open();
    to_range_screen(kPhotoMode);
    browse_to("/cards/out");
    c->Back_btn();
    to_range_screen(kVideoMode);
    EXPECT_EQ(view.text(Outlet::path_Sig), "");
    c->Next_btn();
    EXPECT_EQ(last_alert(), "\nPlease select valid destination path.");
    EXPECT_EQ(view.focused(), Outlet::browse_path_Sig);
    EXPECT_EQ(c->screen_counter, 1);
}

// --- The scan and the way back ---

TEST_F(Wizard, PhotoScanStartsFromNextAndBackLeadsToTheDeviceList) {
    const std::string card = salvex::test::SectorImage(8).header(0, {0xFF, 0xD8, 0xFF, 0xE0}).save(home / "card.img");
    open(kBirch, {}, {volume(card, 8 * 512)});
    c->Ext_Array = record("JPG", 1 << 20, "FFD8FFE0");
    to_range_screen();
    browse_to(home / "out");
    c->Next_btn();
    EXPECT_EQ(c->screen_counter, 2);
    EXPECT_FALSE(view.enabled(Outlet::next_btn));
    EXPECT_FALSE(view.enabled(Outlet::back_btn));
    ASSERT_TRUE(run_scan_to_end());
    EXPECT_TRUE(fs::exists(home / "out/Salvex Birch Recovery Results/Photo Search/General Recovery Results/JPG/GND00001.JPG"));

    const std::size_t calls = view.calls().size();
    c->Next_btn();  // the search screen is the last one
    EXPECT_EQ(view.calls().size(), calls);
    EXPECT_EQ(c->screen_counter, 2);

    c->Back_btn();
    EXPECT_EQ(c->screen_counter, 1);
    EXPECT_TRUE(c->images.empty());
    EXPECT_TRUE(view.hidden(Outlet::open_folder));
    EXPECT_TRUE(view.hidden(Outlet::imageBrowser));
    EXPECT_FALSE(view.hidden(Outlet::path));
    EXPECT_TRUE(view.enabled(Outlet::next_btn));
}

TEST_F(Wizard, BackFromTheRangeScreenReturnsToPhotoAndListsTheDrivesAgain) {
    open();
    to_range_screen(kAudioMode);
    c->volume_source = std::make_unique<ListedVolumes>(std::vector{volume("sdy1", 1024), volume("sdx1", 2048)});
    c->Back_btn();
    EXPECT_EQ(c->screen_counter, 0);
    EXPECT_EQ(Recovery_MODE.load(), kPhotoMode);
    EXPECT_TRUE(view.state(Outlet::rec_mode_Photo));
    EXPECT_FALSE(view.state(Outlet::rec_mode_Audio));
    EXPECT_EQ(c->nsMutaryOfDataObject.size(), 2u);
    for (const Outlet o : {Outlet::sectors_val, Outlet::disk_identifier, Outlet::disk_val, Outlet::end_sector_entire_val_Sig})
        EXPECT_EQ(view.text(o), "<None>") << salvex::outlet_name(o);
    EXPECT_EQ(view.window_title(), "Salvex Birch Recovery");
    EXPECT_TRUE(view.hidden(Outlet::Search_Type));
    EXPECT_TRUE(view.hidden(Outlet::path_Sig));
    EXPECT_FALSE(view.enabled(Outlet::back_btn));
    c->Back_btn();  // nothing before the device screen
    EXPECT_EQ(c->screen_counter, 0);
}

TEST_F(Wizard, FileTypeModesNeedOneTypeBeforeTheScan) {
    const std::string card = salvex::test::SectorImage(4).header(1, {'R', 'I', 'F', 'F'}).save(home / "card.img");
    open(kBirch, {}, {volume(card, 4 * 512)});
    c->Video_Array = record("AVI", 1 << 20, "52494646");
    to_range_screen(kVideoMode);
    browse_to(home / "out");
    c->Next_btn();
    ASSERT_EQ(c->screen_counter, 2);
    c->setObjectValue(Outlet::idCheckTableView, "State", 0, "0");
    c->Next_btn();
    EXPECT_EQ(last_alert(), "\nPlease select atleast one extension type.");
    EXPECT_EQ(c->screen_counter, 2);
    c->setObjectValue(Outlet::idCheckTableView, "State", 0, "1");
    c->Next_btn();
    EXPECT_EQ(c->screen_counter, 3);
    ASSERT_TRUE(run_scan_to_end());
    EXPECT_EQ(c->scan_outcome.load(), ScanOutcome::Completed);
    c->Back_btn();
    EXPECT_EQ(c->screen_counter, 2);
    EXPECT_EQ(view.text(Outlet::help_info),
              "\nPlease select the required extension type for recovery process. Press \u2018Next\u2019 button to continue... ");
    EXPECT_FALSE(view.hidden(Outlet::idCheckTableView));
    EXPECT_TRUE(view.hidden(Outlet::imageBrowser_2));
    EXPECT_TRUE(view.hidden(Outlet::open_folder_Sig));
}

// --- Range and mode ---

TEST_F(Wizard, ChoosingSectorRangeAgainStartsTheRangeOver) {
    open();
    to_range_screen();
    c->Sector_Range_Radio();
    EXPECT_EQ(view.text(Outlet::help_info),
              "\u2018Sector Range\u2019 option provides facility to specify the range of start and end sector of storage "
              "media within which you want to perform searching for lost data. Please drag knob of Slider to enter "
              "sector range or you can also enter these values in Start Sector and End Sector fields manually.");
    view.set_text(Outlet::Start_slider_val, "10");
    view.set_value(Outlet::Start_Slider, 10);
    view.set_value(Outlet::End_Slider, 20);
    c->DO_End_slider();
    c->Sector_Range_Radio();
    EXPECT_EQ(view.text(Outlet::Start_slider_val), "0");
    EXPECT_EQ(view.text(Outlet::End_slider_val), "1000");
    EXPECT_EQ(view.value(Outlet::Start_Slider), 0u);
    EXPECT_EQ(view.value(Outlet::End_Slider), 1000u);
}

TEST_F(Wizard, HugeVolumesKeepEverySectorNumberExact) {
    open(kBirch, {}, {volume("sdz1", std::uint64_t{1} << 42)});
    to_range_screen(kRawFileMode);
    browse_to("/dest");
    c->Sector_Range_Radio_Sig();
    view.set_value(Outlet::End_Slider_Sig, (std::uint64_t{1} << 33) - 1);
    c->DO_End_slider_Sig();
    EXPECT_EQ(view.text(Outlet::End_slider_val_Sig), "8589934591");
    view.set_value(Outlet::End_Slider_Sig, std::uint64_t{1} << 33);  // the right end
    c->DO_End_slider_Sig();
    EXPECT_EQ(view.text(Outlet::End_slider_val_Sig), "8589934592");
    c->Next_btn();
    EXPECT_EQ(c->screen_counter, 2);
}

TEST_F(Wizard, OnlyTheTenDigitsAreValidSectorCharacters) {
    open();
    for (const char* text : {"0000", "123", ""}) EXPECT_TRUE(c->Check_For_Valid_Sec(text)) << text;
    for (const char* text : {"12 ", "-1", "+1", "1,000", "1.000", "1\u00a0000", "\uff11\uff12", "\u0661"})
        EXPECT_FALSE(c->Check_For_Valid_Sec(text)) << text;
}

// --- Destination ---

TEST_F(Wizard, OpenFolderOpensTheResultFolderOfTheMode) {
    open();
    const std::string destination = home / "Mein Ordner \u00fc";
    browse_to(destination);
    c->Video_Mode_Radio();
    c->Open_Folder_btn_Sig();
    EXPECT_EQ(last_alert(), "\nDestination folder does not exist!");
    EXPECT_EQ(view.count_calls("open_file " + destination + "/Salvex Birch Recovery Results/Video Search"), 0u);
    fs::create_directories(destination + "/Salvex Birch Recovery Results/Video Search");
    c->Open_Folder_btn_Sig();
    EXPECT_EQ(view.count_calls("open_file " + destination + "/Salvex Birch Recovery Results/Video Search"), 1u);
    EXPECT_EQ(view.count_calls("alert \nDestination folder does not exist!"), 1u);
}

// Two searches saving into one folder would mix their files: the second is refused.
TEST_F(Wizard, TheResultFolderIsClaimedByOneSearchAtATime) {
    open();
    const std::string folder = home / "dest/Salvex Birch Recovery Results/Photo Search";
    view.set_text(Outlet::path, home / "dest");
    fs::create_directories(folder);
    auto other = std::make_unique<salvex::platform::FolderLock>(folder);  // another search, saving there
    EXPECT_FALSE(c->claim_result_folder());
    EXPECT_EQ(last_alert(), folder + ": another search is saving into this folder right now");
    other.reset();
    EXPECT_TRUE(c->claim_result_folder());
    EXPECT_TRUE(salvex::platform::FolderLock(folder).in_use());

    view.set_text(Outlet::path, home.write("a file", ""));
    EXPECT_FALSE(c->claim_result_folder());
    EXPECT_EQ(last_alert(), home / "a file" + ": not a folder");
    EXPECT_FALSE(salvex::platform::FolderLock(folder).in_use());  // the last claim let go

    // A link planted in the result tree is named, not made through, and left as it was.
    fs::create_directories(home / "elsewhere");
    fs::create_directories(home / "linked");
    fs::create_directory_symlink(home / "elsewhere", home / "linked/Salvex Birch Recovery Results");
    view.set_text(Outlet::path, home / "linked");
    EXPECT_FALSE(c->claim_result_folder());
    EXPECT_EQ(last_alert(), home / "linked/Salvex Birch Recovery Results" +
                                ": a link or a file stands there; nothing was written through it");
    EXPECT_TRUE(fs::is_empty(home / "elsewhere"));
    EXPECT_TRUE(fs::is_symlink(home / "linked/Salvex Birch Recovery Results"));
}

// --- Support and exit ---

// The question's text and buttons, and both ways to ask it, are checked through the
// window; the controller never lets the window close by itself.
TEST_F(Wizard, TheWindowNeverClosesByItselfAndOnlyYesEndsTheProgram) {
    open();
    view.answer_next_alert(1);
    EXPECT_FALSE(c->windowShouldClose());
    EXPECT_FALSE(view.quit_requested());
    view.answer_next_alert(0);
    EXPECT_FALSE(c->windowShouldClose());
    EXPECT_TRUE(view.quit_requested());
}

TEST_F(Wizard, SupportActionsCopyOrOpenTheEditionsAddresses) {
    open();
    c->Copy_Email();
    EXPECT_EQ(view.clipboard(), std::vector<std::string>{"birch.support@salvex-recovery.example"});
    c->Copy_URL_2();
    EXPECT_EQ(view.clipboard(), std::vector<std::string>{"https://www.salvex-recovery.example/birch"});
    EXPECT_EQ(view.count_calls("alert \nText copied successfully."), 2u);
    c->Open_Support_Mail();
    c->Open_Website_4();
    c->Open_Reseller_Mail();
    const auto last = view.calls().end();
    EXPECT_EQ(*(last - 3), "open_url " + c->support_with_content);
    EXPECT_EQ(*(last - 2), "open_url https://www.salvex-recovery.example");
    EXPECT_NE((last - 1)->find("?subject=Affiliate/Partnership%20Enquiry&body="), std::string::npos);
    EXPECT_EQ((last - 1)->find(' ', 9), std::string::npos);
    EXPECT_EQ(salvex::text::website_link_title("https://www.salvex-recovery.example"), "salvex-recovery.example");
}

}  // namespace
