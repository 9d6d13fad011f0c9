// The photo engine over small images built sector by sector.
#include <gtest/gtest.h>

#include <filesystem>
#include <algorithm>
#include <fstream>

#include "app/globals.h"
#include "engine/messages.h"
#include "support/scan_harness.h"

namespace {

namespace fs = std::filesystem;
using salvex::test::record;
using salvex::test::ScanHarness;

// Sectors of an image: filler bytes with a header written at a chosen place.
class Image {
public:
    explicit Image(std::size_t sectors) : bytes_(sectors * 512, 0) {}
    Image& fill(std::size_t sector, std::uint8_t value) {
        std::fill_n(bytes_.begin() + static_cast<long>(sector * 512), 512, value);
        return *this;
    }
    Image& put(std::size_t sector, std::size_t offset, std::initializer_list<std::uint8_t> data) {
        std::copy(data.begin(), data.end(), bytes_.begin() + static_cast<long>(sector * 512 + offset));
        return *this;
    }
    std::string save(const salvex::test::TempFolder& dir, const std::string& name = "card.img") const {
        return dir.write(name, std::string(bytes_.begin(), bytes_.end()));
    }
    std::string sector(std::size_t s) const { return std::string(bytes_.begin() + static_cast<long>(s * 512), bytes_.begin() + static_cast<long>(s * 512 + 512)); }
    std::size_t sectors() const { return bytes_.size() / 512; }

private:
    std::vector<std::uint8_t> bytes_;
};

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(PhotoEngine, SmokeCarvesTwoFilesSplitByTheSecondHeader) {
    ScanHarness h(record("JPG", 1 << 20, "FFD8FFE0"));
    Image img(8);
    img.put(0, 0, {0xFF, 0xD8, 0xFF, 0xE0}).fill(1, 7).fill(2, 9).put(3, 0, {0xFF, 0xD8, 0xFF, 0xE0}).fill(4, 1);
    h.choose(img.save(h.home), img.sectors(), h.home / "out");
    h.start();
    ASSERT_TRUE(h.run_until_done());
    const std::string jpg = h.pass_folder(true) + "/JPG/";
    const std::string first = read_file(jpg + "GND00001.JPG");
    const std::string second = read_file(jpg + "GND00002.JPG");
    ASSERT_EQ(first.size(), 4u * 512);
    EXPECT_EQ(first.substr(0, 512), img.sector(0));
    EXPECT_EQ(first.substr(3 * 512), img.sector(3));
    ASSERT_EQ(second.size(), 5u * 512);  // to the end of the range, blank sectors included
    EXPECT_EQ(second.substr(512, 512), img.sector(4));
    EXPECT_EQ(h.controller.scan_outcome.load(), ScanOutcome::Completed);
    EXPECT_EQ(h.controller.images.size(), 2u);
}

SignatureList operator+(SignatureList a, const SignatureList& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::initializer_list<std::uint8_t> kJfif = {0xFF, 0xD8, 0xFF, 0xE0};
const std::initializer_list<std::uint8_t> kPng = {0x89, 0x50, 0x4E, 0x47};

TEST(PhotoEngine, FilesAreWholeSectorsUpToTheMatchedRecordsMaximum) {
    // PNG's record allows one sector, JPG's 1000 bytes (two sectors); a PNG file keeps
    // its own maximum although its next sectors are searched against JPG too.
    ScanHarness h(record("PNG", 300, "89504E47") + record("JPG", 1000, "FFD8FFE0"));
    Image img(10);
    img.put(0, 0, kPng).fill(1, 3).put(2, 0, kJfif).fill(3, 4).fill(4, 5).put(6, 0, kPng).fill(7, 6);
    h.choose(img.save(h.home), img.sectors(), h.home / "out");
    h.start();
    ASSERT_TRUE(h.run_until_done());
    const std::string pass = h.pass_folder(true);
    EXPECT_EQ(read_file(pass + "/PNG/GND00001.PNG"), img.sector(0));
    EXPECT_EQ(read_file(pass + "/JPG/GND00002.JPG"), img.sector(2) + img.sector(3));
    EXPECT_EQ(read_file(pass + "/PNG/GND00003.PNG"), img.sector(6));
    EXPECT_EQ(h.controller.images.size(), 3u);
}

TEST(PhotoEngine, BlankSectorsAreNeverSearchedButAreCopiedInsideAFile) {
    // A header of zero bytes would match a blank sector if it were searched.
    ScanHarness h(record("ZERO", 1 << 20, "00000000") + record("JPG", 1 << 20, "FFD8FFE0"));
    Image img(6);
    img.put(2, 0, kJfif).fill(3, 8);
    h.choose(img.save(h.home), img.sectors(), h.home / "out");
    h.start();
    ASSERT_TRUE(h.run_until_done());
    EXPECT_FALSE(fs::exists(h.pass_folder(true) + "/ZERO/GND00001.ZERO"));
    EXPECT_EQ(read_file(h.pass_folder(true) + "/JPG/GND00001.JPG"),
              img.sector(2) + img.sector(3) + img.sector(4) + img.sector(5));
}

TEST(PhotoEngine, SectorRangeIsReadFromItsStartAndEndsBeforeItsEnd) {
    ScanHarness h(record("JPG", 1 << 20, "FFD8FFE0"));
    Image img(12);
    img.put(1, 0, kJfif).put(4, 0, kJfif).fill(5, 1).fill(6, 2).put(9, 0, kJfif);
    h.choose(img.save(h.home), img.sectors(), h.home / "out", false, std::make_pair(3, 7));
    h.start();
    ASSERT_TRUE(h.run_until_done());
    EXPECT_EQ(read_file(h.pass_folder(true) + "/JPG/GND00001.JPG"), img.sector(4) + img.sector(5) + img.sector(6));
    EXPECT_FALSE(fs::exists(h.pass_folder(true) + "/JPG/GND00002.JPG"));
    EXPECT_EQ(h.view.text(salvex::Outlet::sector_label), "Sectors 3 of 7   ( Completed 0% )");
}

TEST(PhotoEngine, EmptyListReadsNothingAndReportsAReadError) {
    ScanHarness h({}, record("JPG", 512, "FFD8FFE0"));
    Image img(4);
    img.put(0, 0, kJfif);
    h.choose(img.save(h.home), img.sectors(), h.home / "out", true);
    h.start();
    ASSERT_TRUE(h.run_until_done());
    EXPECT_EQ(h.count_alerts("\nError in storage media reading."), 1u);
    EXPECT_EQ(h.controller.scan_outcome.load(), ScanOutcome::Failed);
    EXPECT_FALSE(fs::exists(h.pass_folder(false)));  // no thorough pass after a failed general one
    EXPECT_EQ(h.controller.for_index.load(), 0u);
}

TEST(PhotoEngine, ThoroughPassNamesFromOneAndUidsKeepGrowingAcrossScans) {
    ScanHarness h(record("JPG", 1 << 20, "FFD8FFE0"), record("PNG", 512, "89504E47"));
    Image img(6);
    img.put(0, 0, kJfif).put(2, 0, kPng).put(3, 0, kJfif).put(5, 0, kPng);
    h.choose(img.save(h.home), img.sectors(), h.home / "out", true);
    h.start();
    ASSERT_TRUE(h.run_until_done());
    EXPECT_TRUE(fs::exists(h.pass_folder(true) + "/JPG/GND00002.JPG"));
    EXPECT_TRUE(fs::exists(h.pass_folder(false) + "/PNG/THD00001.PNG"));
    EXPECT_TRUE(fs::exists(h.pass_folder(false) + "/PNG/THD00002.PNG"));
    ASSERT_EQ(h.controller.images.size(), 4u);  // both passes' thumbnails stay
    EXPECT_EQ(h.controller.images[3].image_UID, "THD00002.PNG");
    EXPECT_EQ(std::count(h.view.calls().begin(), h.view.calls().end(), "end_of_search_notice"), 1);

    h.choose(img.save(h.home), img.sectors(), h.home / "again", false);
    h.start();
    ASSERT_TRUE(h.run_until_done());
    ASSERT_EQ(h.controller.images.size(), 2u);  // a new general pass starts a new list
    EXPECT_EQ(h.controller.images[0].image_Name, "GND00001.JPG");
    EXPECT_EQ(h.controller.images[0].image_UID, "GND00003.JPG");
    EXPECT_FALSE(fs::exists(h.home / "again/Salvex Birch Recovery Results/Photo Search/Omitted (recovered by Thorough Scan)"));
}

// Takes four seconds: the engine pauses so that people can read the notice.
TEST(PhotoEngine, PreviewIsClearedBeforeThe2001stResult) {
    ScanHarness h(record("JPG", 512, "FFD8FFE0"));
    Image img(2001);
    for (std::size_t i = 0; i < img.sectors(); ++i) img.put(i, 0, kJfif).put(i, 8, {static_cast<std::uint8_t>(i)});
    h.choose(img.save(h.home), img.sectors(), h.home / "out");
    h.start();
    ASSERT_TRUE(h.run_until_done());
    ASSERT_EQ(h.controller.images.size(), 1u);
    EXPECT_EQ(h.controller.images[0].image_Name, "GND02001.JPG");
    EXPECT_EQ(h.view.text(salvex::Outlet::ClearThumbnail_Label),
              "To maintain the speed of recovery, thumbnail preview window is cleared after every 2000 thumbnails.");
    EXPECT_FALSE(h.view.hidden(salvex::Outlet::ClearThumbnail_Label));
    EXPECT_EQ(read_file(h.pass_folder(true) + "/JPG/GND02001.JPG"), img.sector(2000));
}

}  // namespace
