// Many short scans in every mode, each stopped at a random moment of a random
// pass: no crash or hang, one final screen per scan, every carved file a run of
// the card's own sectors, and no thorough pass after a stop in the general one.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>

#include "app/globals.h"
#include "support/scan_harness.h"
#include "support/sector_image.h"

using salvex::SignatureList;
using salvex::ScanOutcome;

namespace {

namespace fs = std::filesystem;
using salvex::test::record;
using salvex::test::ScanHarness;
using salvex::test::SectorImage;

const char* mode_folder_name(std::int32_t mode) {
    static const char* names[] = {"Photo Search", "Video Search", "File Search", "Audio File Search"};
    return names[mode];
}

// Every file under the folder must be whole sectors copied from the card, starting
// at the sector its first 512 bytes come from.
::testing::AssertionResult carved_from_card(const std::string& folder, const SectorImage& img) {
    for (const std::string& file : salvex::test::regular_files_under(folder)) {
        if (file.ends_with("/report.xml")) continue;
        const std::string bytes = salvex::test::read_whole_file(file);
        if (bytes.empty() || bytes.size() % 512 != 0)
            return ::testing::AssertionFailure() << file << " holds " << bytes.size() << " bytes";
        std::size_t first = 0;
        while (first < img.sectors() && img.sector(first) != bytes.substr(0, 512)) ++first;
        const std::size_t count = bytes.size() / 512;
        if (first + count > img.sectors() || img.range(first, first + count) != bytes)
            return ::testing::AssertionFailure() << file << " is not a run of the card's sectors";
    }
    return ::testing::AssertionSuccess();
}

TEST(StopStorm, TwoHundredScansStoppedAnywhereInEveryMode) {
    std::mt19937 random(20261206);
    const std::vector<std::uint8_t> headers[] = {{0xFF, 0xD8, 0xFF, 0xE0}, {0x52, 0x49, 0x46, 0x46}};
    int stopped_scans = 0;
    for (int run = 0; run < 200; ++run) {
        const auto mode = static_cast<std::int32_t>(run % 4);
        SCOPED_TRACE("run " + std::to_string(run) + ", mode " + std::to_string(mode));
        SectorImage img(48);
        for (int h = 0; h < 8; ++h) img.header(random() % img.sectors(), headers[random() % 2]);
        const SignatureList general = record("JPG", (1 + random() % 8) * 512, "FFD8FFE0");
        const SignatureList thorough = record("RIF", (1 + random() % 8) * 512, "52494646");

        ScanHarness h(general, thorough);
        h.controller.CheckListHeader_Array = general;
        h.controller.CheckListHeader_Adv_Array = thorough;
        h.choose(img.save(h.home / "card.img"), img.sectors(), h.home / "out", true, std::nullopt, mode);
        const std::size_t stop_after = random() % 10;  // results seen before the stop is pressed
        h.start();
        bool stopped = false;
        ASSERT_TRUE(h.pump_until([&] {
            if (!stopped && h.controller.images.size() >= stop_after) {
                h.controller.stop_now = 1;
                stopped = true;
            }
            return !h.controller.scan_thread_running();
        }, std::chrono::seconds(30)));
        ASSERT_TRUE(h.run_until_done());

        EXPECT_EQ(h.view.count_calls("end_of_search_notice"), 1u);
        const std::string search = h.home / ("out/Salvex Birch Recovery Results/" + std::string(mode_folder_name(mode)));
        EXPECT_TRUE(carved_from_card(search, img));
        stopped_scans += h.controller.scan_outcome == ScanOutcome::Stopped ? 1 : 0;
        const bool thorough_started = Curr_Running_Mode_Info.find("Thorough") != std::string::npos;
        if (h.controller.scan_outcome == ScanOutcome::Stopped && !thorough_started) {
            EXPECT_FALSE(fs::exists(search + "/Omitted (recovered by Thorough Scan)"));
        }
    }
    std::printf("%d of 200 scans ended by the stop\n", stopped_scans);
    EXPECT_GT(stopped_scans, 50) << "the storm must really stop scans, not watch them finish";
}

}  // namespace
