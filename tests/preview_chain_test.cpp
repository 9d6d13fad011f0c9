// The preview of a file selected in the list of the video, file and audio modes,
// and the final screen a preview holds back. The list and its summary are
// tested through the real window (window_test.cpp).
#include <gtest/gtest.h>

#include <algorithm>

#include "app/globals.h"
#include "support/scan_harness.h"

using salvex::kVideoMode;

namespace {

using salvex::Outlet;
using salvex::test::ScanHarness;

class FileList : public ::testing::Test {
protected:
    void SetUp() override {
        Recovery_MODE = kVideoMode;
        h.view.movie_suffix(".MP4");
        h.view.thumbnail_suffix(".PDF");
    }
    void list(const std::string& name) { c.addImageWithPath_2("/out/" + name, name, name); }
    void select(long row) {
        h.view.select_row(Outlet::imageBrowser_2, row);
        c.imageBrowserSelectionDidChange(Outlet::imageBrowser_2);
    }
    long count(const std::string& call) const {
        return std::count(h.view.calls().begin(), h.view.calls().end(), call);
    }
    ScanHarness h;
    MyTableController& c = h.controller;
};

TEST_F(FileList, AMovieThatOpensPlaysAndOtherFilesShowAPictureOrTheirIcon) {
    list("GEN00001.MP4");
    list("GEN00001.PDF");
    list("GEN00002.bin");
    select(0);
    EXPECT_EQ(h.view.text(Outlet::QuickLook_View_Box), "GEN00001.MP4");
    EXPECT_TRUE(c.isPlaying(Outlet::mMovieView));
    EXPECT_FALSE(h.view.hidden(Outlet::mMovieView));
    EXPECT_TRUE(h.view.hidden(Outlet::QuickLook_View));
    EXPECT_EQ(count("show_thumbnail _QuickLook_View 200 /out/GEN00001.MP4"), 0);

    select(1);
    EXPECT_EQ(count("stop_movie mMovieView"), 1);  // the movie of the last selection stops first
    EXPECT_TRUE(h.view.hidden(Outlet::mMovieView));
    EXPECT_FALSE(h.view.hidden(Outlet::QuickLook_View));
    EXPECT_EQ(count("show_thumbnail _QuickLook_View 200 /out/GEN00001.PDF"), 1);
    EXPECT_EQ(count("show_file_icon _QuickLook_View 200 /out/GEN00001.PDF"), 0);

    select(2);
    EXPECT_EQ(count("show_file_icon _QuickLook_View 200 /out/GEN00002.bin"), 1);
    EXPECT_FALSE(h.view.preview_sheet_shown());
    EXPECT_FALSE(c.session);
}

TEST_F(FileList, ReselectingTheShownItemBuildsNothingButComingBackToItDoes) {
    list("GEN00001.MP4");
    list("GEN00001.PDF");
    select(0);
    select(0);
    EXPECT_EQ(count("play_movie mMovieView /out/GEN00001.MP4"), 1);
    select(1);
    select(0);
    EXPECT_EQ(count("play_movie mMovieView /out/GEN00001.MP4"), 2);
    EXPECT_EQ(c.Prev_Index, 0u);

    // An empty selection, a row past the list and the photo browser preview nothing.
    const auto before = h.view.calls().size();
    select(-1);
    h.view.select_row(Outlet::imageBrowser, 1);
    c.imageBrowserSelectionDidChange(Outlet::imageBrowser);
    EXPECT_EQ(h.view.calls().size(), before);
    select(7);
    EXPECT_EQ(count("preview_sheet shown"), 3);
}

TEST_F(FileList, AScanEndingDuringThePreviewGetsItsFinalScreenOnlyAfterThePause) {
    list("GEN00001.MP4");
    bool session_seen = false;
    h.view.while_previewing = [&] {
        // What the scan thread does when it ends while the sheet is up.
        session_seen = c.session;
        c.stop_now = 1;
    };
    select(0);
    EXPECT_TRUE(session_seen);
    EXPECT_FALSE(h.view.preview_sheet_shown());
    h.view.queue().run_pending();
    EXPECT_EQ(count("end_of_search_notice"), 0);
    ASSERT_EQ(h.view.later_delays(), (std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(1000)}));

    h.view.run_later();
    h.view.queue().run_pending();
    EXPECT_EQ(count("end_of_search_notice"), 1);
    EXPECT_EQ(c.stop_now.load(), 0);

    // A preview with no scan to finish asks for nothing.
    h.view.while_previewing = nullptr;
    list("GEN00002.MP4");
    select(1);
    EXPECT_TRUE(h.view.later_delays().empty());
}

TEST(ScrollerAction, MovesByThePartHitWithoutClamping) {
    using Part = MyTableController::ScrollerPart;
    EXPECT_DOUBLE_EQ(MyTableController::scrollerAction(Part::IncrementPage, 0.9), 1.1);
    EXPECT_DOUBLE_EQ(MyTableController::scrollerAction(Part::DecrementPage, 0.1), -0.1);
    EXPECT_DOUBLE_EQ(MyTableController::scrollerAction(Part::IncrementLine, 0.5), 0.55);
    EXPECT_DOUBLE_EQ(MyTableController::scrollerAction(Part::DecrementLine, 0.5), 0.45);
    for (const Part still : {Part::Knob, Part::KnobSlot, Part::None})
        EXPECT_DOUBLE_EQ(MyTableController::scrollerAction(still, 0.3), 0.3);
}

}  // namespace
