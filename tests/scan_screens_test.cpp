// The progress tick, the stop question, the end screen and the thumbnail hand-over.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/globals.h"
#include "support/scan_harness.h"

namespace {

using salvex::Outlet;
using salvex::test::ScanHarness;

TEST(ProgressTick, ShowsPositionPercentAndBarWithinTheRange) {
    ScanHarness h;
    auto& c = h.controller;
    c.start_sector = 2000;
    c.end_sector = 3000;
    c.total_sector = 1000;
    c.for_index = 2500;
    Curr_Running_Mode_Info = "( mode )";
    c.timerTickSetLabel();
    EXPECT_EQ(h.view.text(Outlet::sector_label), "Sectors 2500 of 3000   ( Completed 50% )");
    EXPECT_EQ(h.view.text(Outlet::Mode_label), "( mode )");
    EXPECT_EQ(h.view.value(Outlet::Progress_Horz), 500u);

    // Nothing to show before a range exists, or past its end.
    h.view.set_text(Outlet::sector_label, "unchanged");
    c.for_index = 3001;
    c.timerTickSetLabel();
    c.total_sector = 0;
    c.for_index = 2500;
    c.timerTickSetLabel();
    EXPECT_EQ(h.view.text(Outlet::sector_label), "unchanged");
}

TEST(StopQuestion, YesStopsAndNoChangesNothing) {
    ScanHarness h;
    h.view.answer_next_alert(1);
    h.controller.stop_usb_disk();
    EXPECT_EQ(h.controller.stop_now.load(), 0);
    h.controller.stop_usb_disk();
    EXPECT_EQ(h.controller.stop_now.load(), 1);
    ASSERT_EQ(h.view.alerts().size(), 2u);
    EXPECT_EQ(h.view.alerts()[0].request.message, "\nDo you want to stop searching?");
    EXPECT_EQ(h.view.alerts()[0].request.buttons, (std::vector<std::string>{"Yes", "No"}));
}

TEST(FinalScreen, ShowsResultsOnceAndLeavesBackEnabled) {
    ScanHarness h;
    h.controller.request_final_screen();
    h.controller.request_final_screen();
    h.view.queue().run_pending();
    EXPECT_EQ(h.view.count_calls("end_of_search_notice"), 1u);
    EXPECT_EQ(h.view.text(Outlet::help_info), "\nTo select another disk for recovery, click on \u2018Back\u2019 Button.");
    EXPECT_TRUE(h.view.hidden(Outlet::stop_scan));
    EXPECT_TRUE(h.view.hidden(Outlet::Progress_Horz));
    EXPECT_FALSE(h.view.hidden(Outlet::open_folder));
    EXPECT_FALSE(h.view.hidden(Outlet::zoom_slider));
    EXPECT_TRUE(h.view.enabled(Outlet::back_btn));
    EXPECT_EQ(h.controller.stop_now.load(), 0);
}

class ThumbnailHandover : public ::testing::Test {
protected:
    void SetUp() override {
        h.controller.noprevfile = "/res/NoPreview.png";
        h.controller.Null_Image_Data = {1, 2, 3};
        h.view.undecodable_suffix(".bad");
    }
    std::string names() const {
        std::string out;
        for (const auto& item : h.controller.images) out += item.image_Name + " ";
        return out;
    }
    ScanHarness h;
};

TEST_F(ThumbnailHandover, UndecodablePhotosShowTheNoPreviewPicture) {
    h.controller.addImageWithPath(" /out/GND00001.JPG\n", "GND00001.JPG", "GND00001.JPG");
    h.controller.addImageWithPath("/out/GND00002.bad", "GND00002.bad", "GND00002.bad");
    EXPECT_EQ(h.handed_over(), (std::vector<std::string>{"/out/GND00001.JPG", "/res/NoPreview.png"}));
    EXPECT_EQ(names(), "GND00001.JPG GND00002.bad ");
    EXPECT_TRUE(h.controller.images[0].imageData.empty());
    EXPECT_EQ(h.controller.images[1].imageData, (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(h.controller.Preview_Image_Count.load(), 2u);
}

// The answer comes later in the window: the item is already listed and counted,
// and an answer for an item the user removed meanwhile changes nothing.
TEST_F(ThumbnailHandover, LateDecodeAnswersChangeOnlyTheirOwnItem) {
    h.view.defer_decode_answers();
    h.controller.addImageWithPath("/out/GND00001.bad", "GND00001.bad", "GND00001.bad");
    h.controller.addImageWithPath("/out/GND00002.bad", "GND00002.bad", "GND00002.bad");
    h.controller.addImageWithPath("/out/GND00003.JPG", "GND00003.JPG", "GND00003.JPG");
    EXPECT_EQ(h.handed_over(), (std::vector<std::string>{"/out/GND00001.bad", "/out/GND00002.bad", "/out/GND00003.JPG"}));
    h.controller.imageBrowser_removeItemsAtIndexes(Outlet::imageBrowser, {0});
    h.view.answer_decodes();
    EXPECT_EQ(h.handed_over(), (std::vector<std::string>{"/res/NoPreview.png", "/out/GND00003.JPG"}));
    EXPECT_EQ(names(), "GND00002.bad GND00003.JPG ");
    EXPECT_EQ(h.controller.Preview_Image_Count.load(), 3u);
}

TEST_F(ThumbnailHandover, BlankPathsAndAFullPreviewAddNothing) {
    h.controller.addImageWithPath(" \t", "x", "x");
    EXPECT_TRUE(h.controller.images.empty());
    EXPECT_EQ(h.controller.Preview_Image_Count.load(), 0u);

    h.controller.Preview_Image_Count = 2000;  // the user removed items meanwhile
    h.controller.addImageWithPath("/out/a.JPG", "a", "a");
    EXPECT_TRUE(h.controller.images.empty());
    EXPECT_EQ(h.controller.Preview_Image_Count.load(), 2000u);

    h.controller.Preview_Image_Count = 0;
    h.controller.images.resize(2000);
    h.controller.addImageWithPath("/out/b.JPG", "b", "b");
    EXPECT_EQ(h.controller.images.size(), 2000u);
    EXPECT_EQ(h.controller.Preview_Image_Count.load(), 1u);  // counted, not shown
}

TEST_F(ThumbnailHandover, ScrollsToTheNewestEverySixthItem) {
    for (int i = 0; i < 12; ++i) h.controller.addImageWithPath("/out/" + std::to_string(i), "n", "u");
    EXPECT_EQ(h.view.count_calls("scroll_to_end imageBrowser"), 2u);
}

// The user's own edits of either browser: drags follow the block rule, stray
// indexes from a view never reach past the list.
TEST_F(ThumbnailHandover, MovesAndRemovalsKeepTheListInTheUsersOrder) {
    const auto fill = [&] {
        h.controller.images.clear();
        for (const char* n : {"1", "2", "3", "4", "5"}) {
            MyImageObject item;
            item.image_Name = n;
            h.controller.images.push_back(item);
        }
    };
    fill();
    EXPECT_TRUE(h.controller.imageBrowser_moveItemsAtIndexes(Outlet::imageBrowser, {0, 1}, 3));
    EXPECT_EQ(names(), "3 1 2 4 5 ");
    fill();
    h.controller.imageBrowser_moveItemsAtIndexes(Outlet::imageBrowser_2, {4, 1}, 0);
    EXPECT_EQ(names(), "2 5 1 3 4 ");
    fill();
    h.controller.imageBrowser_moveItemsAtIndexes(Outlet::imageBrowser, {3, 9}, 5);
    EXPECT_EQ(names(), "1 2 3 5 4 ");
    EXPECT_EQ(h.view.calls().back(), "reload imageBrowser");

    h.controller.Prev_Index = 1;  // a file the list previewed: another may stand there after the edit
    h.controller.imageBrowser_removeItemsAtIndexes(Outlet::imageBrowser_2, {4, 0, 0, 7});
    EXPECT_EQ(names(), "2 3 5 ");
    EXPECT_EQ(h.view.calls().back(), "reload imageBrowser_2");
    EXPECT_EQ(h.controller.Prev_Index, MyTableController::kNotFound);
}

}  // namespace
