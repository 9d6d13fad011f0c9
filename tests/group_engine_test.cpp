// The video, raw-file and audio engine: groups of files opened by one header.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <stdexcept>

#include "app/globals.h"
#include "support/scan_harness.h"
#include "support/faulty_source.h"
#include "support/sector_image.h"

using salvex::SignatureList;
using salvex::kPhotoMode;
using salvex::kVideoMode;
using salvex::ScanOutcome;

namespace {

namespace fs = std::filesystem;
using salvex::test::record;
using salvex::test::ScanHarness;
using salvex::test::SectorImage;
using salvex::test::operator+;
using salvex::test::read_whole_file;

// Compares carved bytes without printing megabytes when they differ.
::testing::AssertionResult SameBytes(const std::string& carved, const std::string& expected) {
    if (carved == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "carved " << carved.size() << " bytes, expected " << expected.size()
                                         << (carved.size() == expected.size() ? " (same size, other bytes)" : "");
}

const std::vector<std::uint8_t> kRiff = {0x52, 0x49, 0x46, 0x46};

class GroupEngine : public ::testing::Test {
protected:
    // Runs one video-mode scan of the image with the given general selection.
    void scan(const SectorImage& img, SignatureList general, SignatureList thorough = {}, bool thorough_pass = false) {
        h.controller.CheckListHeader_Array = std::move(general);
        h.controller.CheckListHeader_Adv_Array = std::move(thorough);
        h.controller.nsSIGFileInfoDataObject.clear();
        for (const char* type : {"AVI", "WAV", "RIF", "MOV", "MP4"})
            h.controller.createSignatureListTableRecord(type, 0, "", "", type);
        h.choose(img.save(h.home / "card.img"), img.sectors(), h.home / "out", thorough_pass, std::nullopt, kVideoMode);
        h.choices.exact_files = exact;
        h.start();
        ASSERT_TRUE(h.run_until_done());
    }
    std::string file(const std::string& type, const std::string& name, bool general = true) const {
        return read_whole_file(h.pass_folder(general, "Video Search") + "/" + type + "/" + name);
    }
    std::string summary(const std::string& type, const std::string& key) const {
        for (const auto& row : h.controller.nsSIGFileInfoDataObject)
            if (row.at("FileTypes_Hidden") == type) return row.at(key);
        return "?";
    }
    ScanHarness h;
    bool exact = false;  // each file cut at its own end
};

TEST_F(GroupEngine, SharedHeaderOpensOneFilePerFormatEachEndingAtItsOwnSize) {
    SectorImage img(12);
    img.header(2, kRiff);
    scan(img, record("AVI", 4 * 512, "52494646") + record("WAV", 2 * 512, "52494646") +
                  record("RIF", 1000, "5249"));  // a shorter text inside the matched one joins too
    EXPECT_TRUE(SameBytes(file("AVI", "AVI00001.AVI"), img.range(2, 6)));
    EXPECT_TRUE(SameBytes(file("WAV", "WAV00001.WAV"), img.range(2, 4)));
    EXPECT_TRUE(SameBytes(file("RIF", "RIF00001.RIF"), img.range(2, 4)));
    EXPECT_EQ(h.controller.images.size(), 3u);
    EXPECT_EQ(summary("AVI", "NoOfFile"), "1");
    EXPECT_EQ(summary("WAV", "FileName"), "WAV00001.WAV");
}

TEST_F(GroupEngine, LongerHeadersJoinOnlyAtTheSameOffsetAndEarlierRecordsNever) {
    SectorImage img(6);
    img.header(1, {0x52, 0x49, 0x46, 0x46, 0x41});
    scan(img, record("MOV", 512, "524946464142") +     // related, but earlier than the match
                  record("AVI", 512, "52494646") +     // the first record that matches
                  record("WAV", 512, "5249464641") +   // holds the matched text, same offset: joins
                  record("MP4", 512, "5249464641", "2"));  // holds it at another offset: stays out
    EXPECT_TRUE(SameBytes(file("AVI", "AVI00001.AVI"), img.sector(1)));
    EXPECT_TRUE(SameBytes(file("WAV", "WAV00001.WAV"), img.sector(1)));
    EXPECT_FALSE(fs::exists(h.pass_folder(true, "Video Search") + "/MOV/MOV00001.MOV"));
    EXPECT_FALSE(fs::exists(h.pass_folder(true, "Video Search") + "/MP4/MP400001.MP4"));
}

TEST_F(GroupEngine, AHeaderInsideAGroupEndsEveryFileWithThatSectorAndOpensTheNext) {
    SectorImage img(10);
    img.header(1, kRiff).zero(2).header(4, kRiff);
    scan(img, record("AVI", 1 << 20, "52494646") + record("WAV", 1 << 20, "52494646"));
    EXPECT_TRUE(SameBytes(file("AVI", "AVI00001.AVI"), img.range(1, 5)));  // the blank sector is copied, sector 4 ends it
    EXPECT_TRUE(SameBytes(file("WAV", "WAV00001.WAV"), img.range(1, 5)));
    EXPECT_TRUE(SameBytes(file("AVI", "AVI00002.AVI"), img.range(4, 10)));
    EXPECT_TRUE(SameBytes(file("WAV", "WAV00002.WAV"), img.range(4, 10)));
    EXPECT_EQ(summary("AVI", "NoOfFile"), "2");
}

TEST_F(GroupEngine, TwoRecordsOfOneTypeInAGroupGetDistinctNames) {
    SectorImage img(4);
    img.header(0, kRiff);
    scan(img, record("AVI", 512, "52494646") + record("AVI", 1024, "5249"));
    EXPECT_TRUE(SameBytes(file("AVI", "AVI00001.AVI"), img.sector(0)));
    EXPECT_TRUE(SameBytes(file("AVI", "AVI00002.AVI"), img.range(0, 2)));
}

TEST_F(GroupEngine, EmptySelectionEndsAtOnceWithoutAMessage) {
    SectorImage img(4);
    scan(img, {});
    EXPECT_TRUE(h.view.alerts().empty());
    EXPECT_EQ(h.controller.scan_outcome.load(), ScanOutcome::Completed);
    EXPECT_EQ(h.controller.for_index.load(), 0u);
}

TEST_F(GroupEngine, ThoroughPassContinuesTheListAndTheCounts) {
    SectorImage img(6);
    img.header(0, kRiff).header(3, {0x00, 0x00, 0x00, 0x18, 0x66, 0x74, 0x79, 0x70});
    scan(img, record("AVI", 512, "52494646"), record("MOV", 512, "66747970", "5"), true);
    EXPECT_TRUE(SameBytes(file("AVI", "AVI00001.AVI"), img.sector(0)));
    EXPECT_TRUE(SameBytes(file("MOV", "MOV00001.MOV", false), img.sector(3)));
    EXPECT_EQ(h.controller.images.size(), 2u);
    EXPECT_EQ(h.view.text(salvex::Outlet::QuickLook_View_Box), "No file is selected to preview");
}

// The thorough pass brings only what the general pass could not: its group at a
// sector where a general file started is dropped whole, the others kept.
TEST_F(GroupEngine, ThoroughGroupWhereAGeneralFileStartedIsDropped) {
    SectorImage img(12);
    img.header(2, kRiff).header(8, {0x52, 0x49, 0x00, 0x00});
    exact = true;  // types without a structure check are kept as carved
    scan(img, record("QAV", 2 * 512, "52494646"), record("QRI", 2 * 512, "5249"), true);
    const auto thorough = salvex::test::regular_files_under(h.pass_folder(false, "Video Search"));
    ASSERT_EQ(thorough.size(), 1u);
    EXPECT_TRUE(SameBytes(read_whole_file(thorough[0]), img.range(8, 10)));
    EXPECT_EQ(salvex::test::regular_files_under(h.pass_folder(true, "Video Search")).size(), 1u);
}

TEST_F(GroupEngine, StopKeepsEveryOpenFileListedUntilTheNextGeneralPass) {
    SectorImage img(16384);
    img.header(0, kRiff);
    salvex::test::FaultySource& source = h.source;
    source.pause_at(8192);  // the second read of the stream's buffer
    h.controller.CheckListHeader_Array = record("AVI", 1 << 30, "52494646") + record("WAV", 1 << 30, "52494646");
    for (const char* type : {"AVI", "WAV"}) h.controller.createSignatureListTableRecord(type, 0, "", "", type);
    h.choose(img.save(h.home / "card.img"), img.sectors(), h.home / "out", false, std::nullopt, kVideoMode);
    h.start();
    ASSERT_TRUE(h.pump_until([&] { return source.paused(); }));
    h.controller.stop_now = 1;
    source.release();
    ASSERT_TRUE(h.run_until_done());
    EXPECT_EQ(h.controller.scan_outcome.load(), ScanOutcome::Stopped);
    ASSERT_EQ(h.controller.images.size(), 2u);
    EXPECT_TRUE(SameBytes(file("AVI", "AVI00001.AVI"), img.range(0, 8193)));
    EXPECT_TRUE(SameBytes(file("WAV", "WAV00001.WAV"), img.range(0, 8193)));
}

// An exception inside the sector loop (here the reopening for sector-by-sector reads
// after a failed bulk read) ends the loop without its reason; the last read, which
// returned nothing, decides as at the end of the range.
TEST_F(GroupEngine, AnExceptionInsideTheLoopEndsItQuietlyAndTheLastReadDecides) {
    SectorImage img(64);
    img.header(0, kRiff);
    h.source.fail_sector(40);
    int opens = 0;
    h.controller.source_opener = [&opens, inner = h.controller.source_opener](const std::string& path, char* buffer, std::size_t size) {
        if (++opens > 1) throw std::runtime_error("the card reader went away");
        return inner(path, buffer, size);
    };
    scan(img, record("AVI", 1 << 20, "52494646"), record("WAV", 1 << 20, "52494646"), true);
    EXPECT_EQ(opens, 2);
    EXPECT_EQ(h.controller.scan_outcome.load(), ScanOutcome::Failed);
    EXPECT_EQ(h.alert_messages(), std::vector<std::string>{"\nError in storage media reading."});
    EXPECT_EQ(h.view.count_calls("end_of_search_notice"), 1u);
    EXPECT_FALSE(fs::exists(h.pass_folder(false, "Video Search")));  // its thorough pass never came to run
}

// Destroyed while its scan waits on a read: the controller stops the scan, runs
// what it posted (the final screen included) and joins, with nobody else's help.
TEST_F(GroupEngine, AControllerDestroyedMidScanStopsItAndJoins) {
    SectorImage img(16384);
    img.header(0, kRiff);
    salvex::test::FaultySource source;
    source.pause_at(8192);  // the second read of the stream's buffer
    salvex::test::RecordingView view;
    auto c = std::make_unique<MyTableController>(view, salvex::BundleInfo{"", "Salvex Birch Recovery", "", ""});
    Recovery_MODE = kVideoMode;
    c->source_opener = source.wrap(c->source_opener);
    c->CheckListHeader_Array = record("AVI", 1 << 30, "52494646");
    c->createSignatureListTableRecord("AVI", 0, "", "", "AVI");
    const std::string card = img.save(h.home / "card.img");
    c->start_scan({.device_identifier = card, .device_sectors = img.sectors(), .entire_disk = true,
                   .destination = h.home / "out"});
    for (int i = 0; i < 4000 && !source.paused(); ++i) view.queue().run_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(source.paused());
    view.post([&source] { source.release(); });  // runs once the destructor has asked for the stop
    c.reset();
    Recovery_MODE = kPhotoMode;
    EXPECT_EQ(view.count_calls("end_of_search_notice"), 1u);
    EXPECT_EQ(view.queue().run_pending(), 0u);
    const std::string carved = h.home / "out/Salvex Birch Recovery Results/Video Search/General Recovery Results/AVI/AVI00001.AVI";
    EXPECT_TRUE(SameBytes(read_whole_file(carved), img.range(0, 8193)));
}

}  // namespace
