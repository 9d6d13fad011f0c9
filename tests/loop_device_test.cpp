// Faults on a real block device: a loop device stands in for a card, read by its
// identifier as a user would pick it. Needs root and the loop driver; skips itself
// with the reason where they are missing.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <tuple>

#include "app/globals.h"
#include "platform/same_device.h"
#include "support/faulty_source.h"
#include "support/loop_device.h"
#include "support/scan_harness.h"
#include "support/sector_image.h"

using salvex::ScanOutcome;

namespace {

namespace fs = std::filesystem;
using salvex::test::read_whole_file;
using salvex::test::record;
using salvex::test::ScanHarness;
using salvex::test::SectorImage;
using salvex::test::TempFolder;
using salvex::test::LoopDevice;
using salvex::test::MountedExt4;

const std::vector<std::uint8_t> kJpg = {0xFF, 0xD8, 0xFF, 0xE0};

TEST(LoopDevice, CardPulledOutMidScanEndsWithTheReadErrorAndKeepsWhatWasCarved) {
    TempFolder dir;
    SectorImage img(16384 + 4096);
    img.header(10, kJpg).header(8000, kJpg);
    const std::string backing = img.save(dir / "card.img");
    LoopDevice card(backing);
    if (!card.attached()) GTEST_SKIP() << "loop devices are not available here (needs root and the loop driver)";

    ScanHarness h(record("JPG", 100 * 512, "FFD8FFE0"));
    h.choose(card.identifier(), img.sectors(), dir / "out", true);
    h.source.pause_at(8192);  // the first read past the stream's first buffer
    h.start();
    ASSERT_TRUE(h.pump_until([&] { return h.source.paused(); }, std::chrono::seconds(30)));
    // The nearest a loop device comes to a card pulled out: it shrinks to nothing.
    fs::resize_file(backing, 0);
    ASSERT_EQ(std::system(("losetup --set-capacity " + card.node()).c_str()), 0);
    h.source.release();
    ASSERT_TRUE(h.run_until_done(std::chrono::seconds(60)));

    EXPECT_EQ(h.count_alerts("\nError in storage media reading."), 1u);
    EXPECT_EQ(h.controller.scan_outcome.load(), ScanOutcome::Failed);
    EXPECT_FALSE(fs::exists(h.pass_folder(false)));  // no thorough pass after a failed general one
    EXPECT_TRUE(read_whole_file(h.pass_folder(true) + "/JPG/GND00001.JPG") == img.range(10, 110));
    // The file open when the card went keeps what was read before.
    const std::string cut = read_whole_file(h.pass_folder(true) + "/JPG/GND00002.JPG");
    EXPECT_EQ(cut.size(), 100u * 512);
    EXPECT_TRUE(cut == img.range(8000, 8100));
    EXPECT_EQ(h.controller.images.size(), 2u);
}

// A destination on the volume being searched, or on the mount of the image being
// searched: the platform sees it, the window asks once per destination and volume,
// and choosing another folder keeps the user on the range screen.
TEST(LoopDevice, DestinationOnTheSearchedVolumeIsNoticedAndAskedAboutOnce) {
    TempFolder dir;
    MountedExt4 card(dir, "card", "4M");
    if (!card.skip_reason().empty()) GTEST_SKIP() << card.skip_reason();
    const std::string on_card = card.mount_point() + "/not/yet/made";
    for (const std::string& source : {card.device().node(), dir / "card.img"}) {  // the image is behind the mount
        EXPECT_TRUE(salvex::platform::writes_onto_device(on_card, source)) << source;
        EXPECT_FALSE(salvex::platform::writes_onto_device(dir / "elsewhere", source)) << source;
    }
    EXPECT_FALSE(fs::exists(card.mount_point() + "/not"));

    const std::string question = "The destination folder is on the drive you are recovering from.";
    ScanHarness h(record("JPG", 512, "FFD8FFE0"));
    h.view.set_text(salvex::Outlet::disk_identifier, dir / "card.img");
    h.view.set_text(salvex::Outlet::path, on_card);
    h.view.answer_next_alert(0);
    EXPECT_FALSE(h.controller.destination_off_source());
    EXPECT_EQ(h.count_alerts(question), 1u);
    EXPECT_EQ(h.view.focused(), salvex::Outlet::browse_path);

    h.view.answer_next_alert(1);
    EXPECT_TRUE(h.controller.destination_off_source());
    EXPECT_TRUE(h.controller.destination_off_source());
    EXPECT_EQ(h.count_alerts(question), 2u);

    h.view.set_text(salvex::Outlet::path, dir / "elsewhere");
    EXPECT_TRUE(h.controller.destination_off_source());
    EXPECT_EQ(h.count_alerts(question), 2u);
}

// Results saved over the source itself: the source in the result tree (under
// another name too), the destination being the source or a path through it, a
// loop device whose file lies there. The window refuses without offering to go on.
TEST(LoopDevice, AResultFolderThatHoldsTheSourceIsRefused) {
    TempFolder dir;
    const std::string image = SectorImage(8).save(dir / "card.img");
    const std::string tree = dir / "dest/R/Photo Search", type_folder = tree + "/General Recovery Results/JPG";
    fs::create_directories(type_folder);
    const std::string inside = SectorImage(8).save(type_folder + "/old.img");
    LoopDevice loop(inside);
    for (const auto& [folder, source, holds] : std::vector<std::tuple<std::string, std::string, bool>>{
             {dir / "elsewhere/R/Photo Search", image, false},
             {image + "/R/Photo Search", image, true},
             {image + "/sub/R/Photo Search", image, true},
             {tree, inside, true},
             {tree, loop.attached() ? loop.node() : inside, true}})
        EXPECT_EQ(salvex::platform::result_folder_holds_source(folder, source), holds) << folder << " " << source;
    fs::create_hard_link(image, type_folder + "/GND00001.JPG");  // a result's name for the image
    EXPECT_TRUE(salvex::platform::result_folder_holds_source(tree, image));

    ScanHarness h(record("JPG", 512, "FFD8FFE0"));
    h.controller.Rec_Folder_Name = "R";
    h.view.set_text(salvex::Outlet::disk_identifier, image);
    h.view.set_text(salvex::Outlet::path, dir / "dest");
    EXPECT_FALSE(h.controller.destination_off_source());
    ASSERT_EQ(h.view.alerts().size(), 1u);
    EXPECT_EQ(h.view.alerts()[0].request.message, "The destination folder holds the disk image you are recovering from.");
    EXPECT_EQ(h.view.alerts()[0].request.buttons, std::vector<std::string>{"Choose Another Folder"});
}

}  // namespace
