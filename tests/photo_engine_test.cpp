// The photo engine over small images built sector by sector.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/globals.h"
#include "support/scan_harness.h"
#include "support/sector_image.h"

using salvex::ScanOutcome;

namespace {

namespace fs = std::filesystem;
using salvex::test::read_whole_file;
using salvex::test::record;
using salvex::test::ScanHarness;
using salvex::test::SectorImage;
using salvex::test::operator+;

const std::vector<std::uint8_t> kJfif = {0xFF, 0xD8, 0xFF, 0xE0};
const std::vector<std::uint8_t> kPng = {0x89, 0x50, 0x4E, 0x47};

void scan(ScanHarness& h, const SectorImage& img, bool thorough = false,
          std::optional<std::pair<std::uint64_t, std::uint64_t>> range = std::nullopt, const std::string& dest = "out") {
    h.choose(img.save(h.home / "card.img"), img.sectors(), h.home / dest, thorough, range);
    h.start();
    ASSERT_TRUE(h.run_until_done());
}

// A file running to the next header (that sector included) or to the end of the
// range is checked with exact sectors in engine_faults_test and on real cards.
TEST(PhotoEngine, FilesAreWholeSectorsUpToTheMatchedRecordsMaximum) {
    // PNG's record allows one sector, JPG's 1000 bytes (two sectors); a PNG file keeps
    // its own maximum although its next sectors are searched against JPG too.
    ScanHarness h(record("PNG", 300, "89504E47") + record("JPG", 1000, "FFD8FFE0"));
    SectorImage img(10);
    img.header(0, kPng).header(2, kJfif).header(6, kPng);
    ASSERT_NO_FATAL_FAILURE(scan(h, img));
    const std::string pass = h.pass_folder(true);
    EXPECT_TRUE(read_whole_file(pass + "/PNG/GND00001.PNG") == img.sector(0));
    EXPECT_TRUE(read_whole_file(pass + "/JPG/GND00002.JPG") == img.range(2, 4));
    EXPECT_TRUE(read_whole_file(pass + "/PNG/GND00003.PNG") == img.sector(6));
    EXPECT_EQ(h.controller.images.size(), 3u);
}

TEST(PhotoEngine, BlankSectorsAreNeverSearchedButAreCopiedInsideAFile) {
    // A header of zero bytes would match a blank sector if it were searched.
    ScanHarness h(record("ZERO", 1 << 20, "00000000") + record("JPG", 1 << 20, "FFD8FFE0"));
    SectorImage img(6);
    img.zero(0).zero(1).header(2, kJfif).zero(4).zero(5);
    ASSERT_NO_FATAL_FAILURE(scan(h, img));
    EXPECT_FALSE(fs::exists(h.pass_folder(true) + "/ZERO/GND00001.ZERO"));
    EXPECT_TRUE(read_whole_file(h.pass_folder(true) + "/JPG/GND00001.JPG") == img.range(2, 6));
}

TEST(PhotoEngine, SectorRangeIsReadFromItsStartAndEndsBeforeItsEnd) {
    ScanHarness h(record("JPG", 1 << 20, "FFD8FFE0"));
    SectorImage img(12);
    img.header(1, kJfif).header(4, kJfif).header(9, kJfif);
    ASSERT_NO_FATAL_FAILURE(scan(h, img, false, std::make_pair(3, 7)));
    EXPECT_TRUE(read_whole_file(h.pass_folder(true) + "/JPG/GND00001.JPG") == img.range(4, 7));
    EXPECT_FALSE(fs::exists(h.pass_folder(true) + "/JPG/GND00002.JPG"));
    EXPECT_EQ(h.view.text(salvex::Outlet::sector_label), "Sectors 3 of 7   ( Completed 0% )");
}

// With nothing to look for no sector is read, and the pass reports the read
// error it ends with: there is no general result for a thorough pass to follow.
TEST(PhotoEngine, EmptyListReadsNothingAndReportsAReadError) {
    ScanHarness h({}, record("JPG", 512, "FFD8FFE0"));
    SectorImage img(4);
    img.header(0, kJfif);
    ASSERT_NO_FATAL_FAILURE(scan(h, img, true));
    EXPECT_EQ(h.alert_messages(), std::vector<std::string>{"\nError in storage media reading."});
    EXPECT_EQ(h.controller.scan_outcome.load(), ScanOutcome::Failed);
    EXPECT_FALSE(fs::exists(h.pass_folder(false)));
    EXPECT_EQ(h.controller.for_index.load(), 0u);
    EXPECT_EQ(h.view.count_calls("end_of_search_notice"), 1u);
}

TEST(PhotoEngine, ThoroughPassNamesFromOneAndUidsKeepGrowingAcrossScans) {
    ScanHarness h(record("JPG", 1 << 20, "FFD8FFE0"), record("PNG", 512, "89504E47"));
    SectorImage img(6);
    img.header(0, kJfif).header(2, kPng).header(3, kJfif).header(5, kPng);
    ASSERT_NO_FATAL_FAILURE(scan(h, img, true));
    EXPECT_TRUE(fs::exists(h.pass_folder(true) + "/JPG/GND00002.JPG"));
    EXPECT_TRUE(fs::exists(h.pass_folder(false) + "/PNG/THD00001.PNG"));
    EXPECT_TRUE(fs::exists(h.pass_folder(false) + "/PNG/THD00002.PNG"));
    ASSERT_EQ(h.controller.images.size(), 4u);  // both passes' thumbnails stay
    EXPECT_EQ(h.controller.images[3].image_UID, "THD00002.PNG");
    EXPECT_EQ(h.view.count_calls("end_of_search_notice"), 1u);

    ASSERT_NO_FATAL_FAILURE(scan(h, img, false, std::nullopt, "again"));
    ASSERT_EQ(h.controller.images.size(), 2u);  // a new general pass starts a new list
    EXPECT_EQ(h.controller.images[0].image_Name, "GND00001.JPG");
    EXPECT_EQ(h.controller.images[0].image_UID, "GND00003.JPG");
    EXPECT_FALSE(fs::exists(h.pass_folder(false)));
}

// The window pauses four seconds so that people can read the notice; the harness does not.
TEST(PhotoEngine, PreviewIsClearedBeforeThe2001stResult) {
    ScanHarness h(record("JPG", 512, "FFD8FFE0"));
    salvex::test::RecordingView window;
    EXPECT_EQ(MyTableController(window, {}).clearing_pause, std::chrono::seconds(4));
    EXPECT_EQ(h.controller.clearing_pause, std::chrono::milliseconds(0));
    SectorImage img(2001);
    for (std::size_t i = 0; i < img.sectors(); ++i) img.header(i, kJfif);
    ASSERT_NO_FATAL_FAILURE(scan(h, img));
    ASSERT_EQ(h.controller.images.size(), 1u);
    EXPECT_EQ(h.controller.images[0].image_Name, "GND02001.JPG");
    EXPECT_EQ(h.view.text(salvex::Outlet::ClearThumbnail_Label),
              "To maintain the speed of recovery, thumbnail preview window is cleared after every 2000 thumbnails.");
    EXPECT_FALSE(h.view.hidden(salvex::Outlet::ClearThumbnail_Label));
    EXPECT_TRUE(read_whole_file(h.pass_folder(true) + "/JPG/GND02001.JPG") == img.sector(2000));
}

}  // namespace
