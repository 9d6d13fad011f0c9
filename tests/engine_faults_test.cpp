// The photo engine when things go wrong: unreadable sectors, a destination that
// fills up or disappears, stops at any moment, a device that does not open, a
// broken signature list; and the source is only ever read.
#include <signal.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "app/globals.h"
#include "engine/sector_stream.h"
#include "support/faulty_source.h"
#include "support/scan_harness.h"
#include "support/sector_image.h"

using salvex::SignatureList;
using salvex::kPhotoMode;
using salvex::kVideoMode;
using salvex::TableRow;
using salvex::ScanOutcome;
using salvex::ScanTally;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using salvex::test::FaultySource;
using salvex::test::operator+;
using salvex::test::read_whole_file;
using salvex::test::record;
using salvex::test::regular_files_under;
using salvex::test::ScanHarness;
using salvex::test::SectorImage;

const std::vector<std::uint8_t> kJpg{0xFF, 0xD8, 0xFF, 0xE0};
const std::vector<std::uint8_t> kPng{0x89, 0x50, 0x4E, 0x47};
const std::vector<std::uint8_t> kThorough{0xA1, 0xB2, 0xC3, 0xD4};

const std::string kReadErrorBox = "\nError in storage media reading.";
const std::string kUnableToSaveBox =
    "\nUnable to continue saving recovered data.\n\nEither Destination Drive is inaccessible or there is no free "
    "space available in drive to save recovered data.";
const std::string kThoroughModeText = "( Currently performing Search based on: Salvex Thorough Scanning Algorithm )";

SignatureList jpg_list() { return record("JPG", 1 << 24, "FFD8FFE0"); }
SignatureList thorough_list() { return record("THJ", 1 << 24, "A1B2C3D4"); }

std::string carved(const ScanHarness& h, bool general, const std::string& type, int number) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%05d.%s", general ? "GND" : "THD", number, type.c_str());
    return h.pass_folder(general) + "/" + type + "/" + name;
}

std::size_t final_screens(const ScanHarness& h) { return h.view.count_calls("end_of_search_notice"); }
// The thorough pass puts its name in the mode label when it starts.
bool thorough_pass_started(const ScanHarness& h) {
    const auto& calls = h.view.calls();
    return std::any_of(calls.begin(), calls.end(), [](const std::string& call) {
        return call.starts_with("set_text ") && call.find("Mode_label") != std::string::npos &&
               call.ends_with(kThoroughModeText);
    });
}
const std::vector<std::string> kNoAlerts;

// The file holds exactly `expected`; told as image sector numbers when not.
::testing::AssertionResult holds(const SectorImage& img, const std::string& path, const std::string& expected) {
    const std::string actual = read_whole_file(path);
    if (actual == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << path << " holds sectors [" << img.describe(actual) << "], expected ["
                                         << img.describe(expected) << "]";
}

// The pass folder holds exactly these files, numbered from 1 in this order: a
// type and the image sectors it holds.
::testing::AssertionResult pass_holds(const ScanHarness& h, const SectorImage& img, bool general,
                                      const std::vector<std::pair<std::string, std::string>>& files) {
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < files.size(); ++i) expected.push_back(carved(h, general, files[i].first, static_cast<int>(i + 1)));
    const std::vector<std::string> found = regular_files_under(h.pass_folder(general));
    if (found != expected) return ::testing::AssertionFailure() << found.size() << " files, expected " << expected.size();
    for (std::size_t i = 0; i < files.size(); ++i)
        if (const auto held = holds(img, expected[i], files[i].second); !held) return held;
    return ::testing::AssertionSuccess();
}

// A scan over `image` through the harness's source, from start to its end.
void scan(ScanHarness& h, const SectorImage& image, bool thorough = false) {
    h.choose(image.save(h.home / "card.img"), image.sectors(), h.home / "out", thorough);
    h.start();
    ASSERT_TRUE(h.run_until_done(20s)) << "scan did not end";
}

// ---------------------------------------------------------------------------
// Unreadable sectors

// Every sector lands where it belongs: a bulk read that fails is redone sector by
// sector, a sector that fails twice is given as zeros, and only it. Headers at
// `first` and `second`; the files hold the card as read, bad sectors zeroed.
struct BadSectors {
    const char* name;
    std::size_t sectors, first, second;
    std::vector<std::uint64_t> bad;
    int times;            // FaultySource::kAlways for sectors that never read
    bool whole_requests;  // a read spanning a bad sector fails whole
};
void PrintTo(const BadSectors& c, std::ostream* os) { *os << c.name; }

class UnreadableSectors : public ::testing::TestWithParam<BadSectors> {};

TEST_P(UnreadableSectors, EachSectorKeepsItsPlaceAndTheBadOnesAreCountedAsZeros) {
    const BadSectors& c = GetParam();
    ScanHarness h(jpg_list());
    SectorImage img(c.sectors);
    img.header(c.first, kJpg).header(c.second, kJpg);
    for (const auto b : c.bad) h.source.fail_sector(b, c.times);
    if (c.whole_requests) h.source.fail_whole_requests();
    ASSERT_NO_FATAL_FAILURE(scan(h, img));

    SectorImage seen = img;
    if (c.times == FaultySource::kAlways)
        for (const auto b : c.bad) seen.zero(b);
    // A bad range over the second header hides it: the first file runs on.
    const bool second_seen = seen.sector(c.second) == img.sector(c.second);
    std::vector<std::pair<std::string, std::string>> files{
        {"JPG", seen.range(c.first, second_seen ? c.second + 1 : c.sectors)}};
    if (second_seen) files.push_back({"JPG", seen.range(c.second, c.sectors)});
    EXPECT_TRUE(pass_holds(h, seen, true, files));
    const ScanTally& tally = h.controller.scan_tally;
    EXPECT_EQ(tally.unreadable_sectors, c.times == FaultySource::kAlways ? c.bad.size() : 0u);
    if (tally.unreadable_sectors > 0) {
        EXPECT_EQ(tally.first_unreadable, c.bad.front());
        EXPECT_EQ(tally.files_with_zeros, std::vector<std::string>{carved(h, true, "JPG", 1)});
    }
    EXPECT_EQ(h.handed_over(), regular_files_under(h.pass_folder(true)));
    EXPECT_EQ(h.alert_messages(), kNoAlerts);
    EXPECT_EQ(h.controller.scan_outcome.load(), ScanOutcome::Completed);
}

// 8192 sectors fill the 4 MiB read once: one case's fault lies in the second read.
INSTANTIATE_TEST_SUITE_P(
    EngineFaults, UnreadableSectors,
    ::testing::Values(BadSectors{"FailingOnceReadsOnRetry", 16, 0, 8, {4}, 1, false},
                      // The bulk read meets it first: the second try of the sector alone reads it.
                      BadSectors{"FailingTwiceReadsOnTheSecondTry", 16, 0, 8, {4}, 2, false},
                      BadSectors{"NeverReadable", 24, 0, 12, {5}, FaultySource::kAlways, false},
                      BadSectors{"BulkReadFailingWhole", 24, 0, 12, {5, 6}, FaultySource::kAlways, true},
                      BadSectors{"BeyondTheFirstRead", 8400, 8100, 8350, {8300}, FaultySource::kAlways, true},
                      BadSectors{"RangeAcrossAHeader", 24, 2, 12, {11, 12, 13}, FaultySource::kAlways, true}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

// The card pulled out or the image cut short mid-scan: the scan ends with the
// read error, keeps what was read, and nothing that was not read.
TEST(SourceEndingEarly, ShowsTheReadErrorKeepsWhatWasReadAndSkipsTheThoroughPass) {
    SectorImage img(40);
    img.header(0, kJpg).header(3, kThorough).header(6, kJpg);
    ScanHarness h(jpg_list(), thorough_list());
    FaultySource& source = h.source;
    source.pause_at(20);
    const std::string card = img.save(h.home / "card.img");
    h.choose(card, img.sectors(), h.home / "out", true);
    h.start();
    ASSERT_TRUE(h.pump_until([&] { return source.paused(); }, 20s));
    fs::resize_file(card, 15 * SectorImage::kSector);
    source.release();
    ASSERT_TRUE(h.run_until_done(20s));

    ASSERT_EQ(h.view.alerts().size(), 1u);
    EXPECT_EQ(h.view.alerts()[0].request.message, kReadErrorBox);
    EXPECT_TRUE(pass_holds(h, img, true, {{"JPG", img.range(0, 7)}, {"JPG", img.range(6, 20)}}));
    EXPECT_FALSE(thorough_pass_started(h));
    EXPECT_EQ(h.controller.scan_outcome.load(), ScanOutcome::Failed);
    EXPECT_EQ(final_screens(h), 1u);
}

// A link planted at an output name is not written through, and is named.
TEST(PlantedLink, IsNotWrittenThroughAndIsNamed) {
    SectorImage img(8);
    img.header(0, kJpg);
    ScanHarness h(jpg_list());
    const std::string target = h.home.write("precious.txt", "keep me");
    h.destination = h.home / "out";
    fs::create_directories(h.pass_folder(true) + "/JPG");
    fs::create_symlink(target, carved(h, true, "JPG", 1));
    ASSERT_NO_FATAL_FAILURE(scan(h, img));
    EXPECT_EQ(read_whole_file(target), "keep me");
    EXPECT_EQ(h.count_alerts(kUnableToSaveBox), 1u);
    EXPECT_EQ(h.controller.scan_tally.failed_path, carved(h, true, "JPG", 1));
    EXPECT_NE(h.controller.scan_tally.failure.find("link"), std::string::npos) << h.controller.scan_tally.failure;
}

// ---------------------------------------------------------------------------
// Destination full or gone

// Lowers the process's file size limit so writes past it store nothing, with
// SIGXFSZ ignored so they fail with EFBIG instead of ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_limit_);
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        ::sigaction(SIGXFSZ, &ignore, &saved_action_);
        rlimit lowered = saved_limit_;
        lowered.rlim_cur = bytes;
        active_ = ::setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_limit_);
        ::sigaction(SIGXFSZ, &saved_action_, nullptr);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool active() const { return active_; }

private:
    rlimit saved_limit_{};
    struct sigaction saved_action_ {};
    bool active_ = false;
};

// Where the second file meets the limit: a write of the 1 MiB output buffer, or
// the flush at the close that the next header, the type's maximum size, the end
// of the range or a stop brings.
enum class FullAt { BufferedWrite, NextHeader, MaxSize, EndOfRange, Stop };
const char* const kFullAtNames[] = {"BufferedWrite", "CloseAtNextHeader", "CloseAtMaxSize", "CloseAtEndOfRange",
                                    "CloseAtStop"};
void PrintTo(FullAt at, std::ostream* os) { *os << kFullAtNames[static_cast<int>(at)]; }

class DestinationFull : public ::testing::TestWithParam<FullAt> {};

TEST_P(DestinationFull, UnableToSaveEndsTheScanAndEarlierFilesStayWhole) {
    const FullAt at = GetParam();
    constexpr std::size_t kLimitSectors = 512;
    ScanHarness h(jpg_list() + record("PNG", 700 * 512, "89504E47"), thorough_list());
    const std::size_t sectors = at == FullAt::BufferedWrite ? 40 + 2200
                                : at == FullAt::NextHeader  ? 760
                                : at == FullAt::MaxSize     ? 800
                                : at == FullAt::Stop        ? 800
                                                            : 740;
    SectorImage img(sectors);
    img.header(0, kJpg).header(20, kThorough).header(40, at == FullAt::MaxSize ? kPng : kJpg);
    if (at == FullAt::NextHeader) img.header(740, kJpg);
    FaultySource& source = h.source;
    if (at == FullAt::Stop) {
        source.pause_at(740);
        h.controller.read_sectors = 1;
    }
    h.choose(img.save(h.home / "card.img"), img.sectors(), h.home / "out", true);
    {
        const FileSizeLimit limit(kLimitSectors * 512);
        ASSERT_TRUE(limit.active());
        h.start();
        if (at == FullAt::Stop) {
            ASSERT_TRUE(h.pump_until([&] { return source.paused(); }, 20s));
            h.controller.stop_now = 1;
            source.release();
        }
        ASSERT_TRUE(h.run_until_done(20s));
    }

    EXPECT_EQ(h.alert_messages(), std::vector<std::string>{kUnableToSaveBox});
    EXPECT_EQ(h.controller.scan_outcome.load(), ScanOutcome::Failed);
    EXPECT_EQ(final_screens(h), 1u);
    // The file handed over before is whole; the one cut short is not handed over.
    EXPECT_TRUE(holds(img, carved(h, true, "JPG", 1), img.range(0, 41)));
    EXPECT_EQ(h.handed_over(), std::vector<std::string>{carved(h, true, "JPG", 1)});
    EXPECT_FALSE(fs::exists(carved(h, true, "JPG", 3)));
    EXPECT_FALSE(thorough_pass_started(h));
    EXPECT_FALSE(fs::exists(h.pass_folder(false)));
}

INSTANTIATE_TEST_SUITE_P(EngineFaults, DestinationFull,
                         ::testing::Values(FullAt::BufferedWrite, FullAt::NextHeader, FullAt::MaxSize,
                                           FullAt::EndOfRange, FullAt::Stop),
                         [](const auto& param_info) { return std::string(kFullAtNames[static_cast<int>(param_info.param)]); });

// Mid-scan, while the read of sector 30 is held: the destination folder is moved
// away and a plain file takes its name (no folder can be made under it), or a
// folder takes the name of the next output file (it cannot be opened).
enum class Gone { DestinationIsNowAPlainFile, FolderInPlaceOfTheNextFile };
const char* const kGoneNames[] = {"DestinationIsNowAPlainFile", "FolderInPlaceOfTheNextFile"};
void PrintTo(Gone gone, std::ostream* os) { *os << kGoneNames[static_cast<int>(gone)]; }

class DestinationGone : public ::testing::TestWithParam<Gone> {};

TEST_P(DestinationGone, UnableToSaveAtTheNextFileAndNoCrash) {
    ScanHarness h(jpg_list(), thorough_list());
    FaultySource& source = h.source;
    SectorImage img(60);
    img.header(0, kJpg).header(10, kThorough).header(20, kJpg).header(40, kJpg);
    source.pause_at(30);
    h.controller.read_sectors = 1;
    h.choose(img.save(h.home / "card.img"), img.sectors(), h.home / "out", true);
    h.start();
    ASSERT_TRUE(h.pump_until([&] { return source.paused(); }, 20s));

    std::string kept = h.pass_folder(true);
    if (GetParam() == Gone::DestinationIsNowAPlainFile) {
        const std::string moved = h.destination + " (moved)";
        fs::rename(h.destination, moved);
        std::ofstream(h.destination) << "not a folder";
        kept = moved + kept.substr(h.destination.size());
    } else {
        fs::create_directories(carved(h, true, "JPG", 3));
    }
    source.release();
    ASSERT_TRUE(h.run_until_done(20s));

    EXPECT_EQ(h.alert_messages(), std::vector<std::string>{kUnableToSaveBox});
    EXPECT_EQ(h.controller.scan_outcome.load(), ScanOutcome::Failed);
    EXPECT_EQ(final_screens(h), 1u);
    EXPECT_TRUE(holds(img, kept + "/JPG/GND00001.JPG", img.range(0, 21)));
    EXPECT_TRUE(holds(img, kept + "/JPG/GND00002.JPG", img.range(20, 41)));
    ASSERT_EQ(h.controller.images.size(), 2u);
    EXPECT_EQ(h.controller.images[1].image_Name, "GND00002.JPG");
    for (const std::string& file : regular_files_under(h.home.path()))
        EXPECT_EQ(fs::path(file).filename().string().find("GND00003"), std::string::npos) << file;
    EXPECT_FALSE(thorough_pass_started(h));
}

INSTANTIATE_TEST_SUITE_P(EngineFaults, DestinationGone,
                         ::testing::Values(Gone::DestinationIsNowAPlainFile, Gone::FolderInPlaceOfTheNextFile),
                         [](const auto& param_info) { return std::string(kGoneNames[static_cast<int>(param_info.param)]); });

// ---------------------------------------------------------------------------
// Stops at random points

// JPG headers, two of them side by side; thorough headers inside JPG files.
TEST(StopAnywhere, StopWhileASeededSectorIsReadKeepsExactlyTheSectorsHandled) {
    constexpr std::size_t kSectors = 80;
    const std::vector<std::size_t> jpg_starts{0, 9, 23, 24, 40, 57, 70};
    SectorImage img(kSectors);
    for (const std::size_t s : jpg_starts) img.header(s, kJpg);
    for (const std::size_t s : std::vector<std::size_t>{5, 30, 62}) img.header(s, kThorough);
    img.zero(12).zero(13).zero(45);
    std::mt19937 rng{20240611};
    for (int run = 0; run < 50; ++run) {
        const std::size_t stop_at = std::uniform_int_distribution<std::size_t>(0, kSectors - 2)(rng);
        SCOPED_TRACE("run " + std::to_string(run) + ", stop while sector " + std::to_string(stop_at) + " is read");
        ScanHarness h(jpg_list(), thorough_list());
        FaultySource& source = h.source;
        source.pause_at(stop_at);
        h.controller.read_sectors = 1;
        h.choose(img.save(h.home / "card.img"), kSectors, h.home / "out", true);
        h.start();
        ASSERT_TRUE(h.pump_until([&] { return source.paused(); }, 20s));
        h.controller.stop_now = 1;
        source.release();
        ASSERT_TRUE(h.run_until_done(20s));

        // Each file started before the stop runs to the next header, the last to
        // the last sector handled (the read under way may have brought more).
        const std::size_t last = h.controller.for_index - 1;
        ASSERT_LT(last, kSectors - 1);
        std::vector<std::pair<std::string, std::string>> files;
        for (std::size_t i = 0; i < jpg_starts.size() && jpg_starts[i] <= last; ++i) {
            const bool next_started = i + 1 < jpg_starts.size() && jpg_starts[i + 1] <= last;
            files.emplace_back("JPG", img.range(jpg_starts[i], next_started ? jpg_starts[i + 1] + 1 : last + 1));
        }
        EXPECT_TRUE(pass_holds(h, img, true, files));
        EXPECT_EQ(h.handed_over(), regular_files_under(h.pass_folder(true)));
        EXPECT_EQ(final_screens(h), 1u);
        EXPECT_EQ(h.controller.scan_outcome.load(), ScanOutcome::Stopped);
        EXPECT_EQ(h.alert_messages(), kNoAlerts);
        EXPECT_FALSE(thorough_pass_started(h));
        EXPECT_FALSE(fs::exists(h.pass_folder(false)));
    }
}

// ---------------------------------------------------------------------------
// Device open failure

struct OpenFailure {
    const char* name;
    int error;
    bool missing_file;  // else the opener fails with `error` itself
    const char* message;
};
void PrintTo(const OpenFailure& c, std::ostream* os) { *os << c.name; }

class DeviceOpenFailure : public ::testing::TestWithParam<OpenFailure> {};

TEST_P(DeviceOpenFailure, AlertByErrorNoFinalScreenAndFailed) {
    const OpenFailure& c = GetParam();
    ScanHarness h(jpg_list(), thorough_list());
    SectorImage img(8);
    img.header(0, kJpg);
    const std::string source = c.missing_file ? h.home / "no such card.img" : img.save(h.home / "card.img");
    int opens = 0;
    h.controller.source_opener = [&opens, &c](const std::string& path, char* buffer, std::size_t size) -> std::FILE* {
        ++opens;
        if (c.missing_file) return salvex::open_sector_stream(path, buffer, size);
        errno = c.error;
        return nullptr;
    };
    h.choose(source, img.sectors(), h.home / "out", true);
    ASSERT_TRUE(h.controller.claim_result_folder());  // as Next does
    ::testing::internal::CaptureStdout();
    h.start();
    const bool done = h.run_until_done(20s);
    const std::string out = ::testing::internal::GetCapturedStdout();
    ASSERT_TRUE(done);

    EXPECT_EQ(out.find("err no"), std::string::npos) << "the diagnostic line goes to the system log: " << out;
    // On Linux the permission dialog's button opens the user guide, which this bundle lacks.
    const bool guide = std::string(c.message) == "Permission Required";
    ASSERT_EQ(h.view.alerts().size(), guide ? 2u : 1u);
    EXPECT_EQ(h.view.alerts().back().request.message, guide ? "\nHelp file does not exist!" : c.message);
    const salvex::AlertRequest& alert = h.view.alerts()[0].request;
    EXPECT_EQ(alert.message, c.message);
    if (alert.message == "Device Access Error") {
        EXPECT_EQ(alert.informative,
                  std::string("An unexpected error occurred while trying to access the device:\n\n") +
                      std::strerror(c.error));
        EXPECT_EQ(alert.buttons, std::vector<std::string>{"OK"});
    }
    EXPECT_EQ(final_screens(h), 0u);
    EXPECT_EQ(h.controller.scan_outcome.load(), ScanOutcome::Failed);
    EXPECT_EQ(opens, 1);
    EXPECT_FALSE(fs::exists(h.home / "out"));  // what the claim made, for a search that never saved
}

INSTANTIATE_TEST_SUITE_P(EngineFaults, DeviceOpenFailure,
                         ::testing::Values(OpenFailure{"NoSuchFile", ENOENT, true, "Device Access Error"},
                                           OpenFailure{"PermissionDenied", EACCES, false, "Permission Required"},
                                           OpenFailure{"NotPermitted", EPERM, false, "Permission Required"},
                                           OpenFailure{"InputOutputError", EIO, false, "Device Access Error"}),
                         [](const auto& test_param) { return std::string(test_param.param.name); });

// ---------------------------------------------------------------------------
// A signature list that is not a whole number of seven-text records

struct BrokenList {
    const char* name;
    SignatureList general, thorough;
};
void PrintTo(const BrokenList& c, std::ostream* os) { *os << c.name; }

class BrokenSignatureList : public ::testing::TestWithParam<BrokenList> {};

TEST_P(BrokenSignatureList, ReasonShownAndThePassCountsAsReadToItsEnd) {
    const BrokenList& c = GetParam();
    const bool general_broken = c.general.size() % 7 != 0;
    ScanHarness h(c.general, c.thorough);
    SectorImage img(30);
    img.header(0, kJpg).header(10, kThorough).header(20, kJpg);
    h.choose(img.save(h.home / "card.img"), img.sectors(), h.home / "out", true);
    h.start();
    ASSERT_TRUE(h.run_until_done(20s));

    ASSERT_EQ(h.view.alerts().size(), 1u);
    const salvex::AlertRequest& alert = h.view.alerts()[0].request;
    ASSERT_GT(alert.message.size(), 1u) << "no reason given";
    EXPECT_EQ(alert.message[0], '\n');
    EXPECT_NE(alert.message, kReadErrorBox);
    EXPECT_NE(alert.message, kUnableToSaveBox);
    EXPECT_EQ(alert.buttons, std::vector<std::string>{"OK"});
    EXPECT_EQ(final_screens(h), 1u);
    if (general_broken) {
        // The general pass still returned true: the thorough pass ran after it.
        EXPECT_TRUE(regular_files_under(h.pass_folder(true)).empty());
        EXPECT_TRUE(holds(img, carved(h, false, "THJ", 1), img.range(10, 30)));
    } else {
        EXPECT_TRUE(holds(img, carved(h, true, "JPG", 1), img.range(0, 21)));
        EXPECT_TRUE(holds(img, carved(h, true, "JPG", 2), img.range(20, 30)));
        EXPECT_TRUE(regular_files_under(h.pass_folder(false)).empty());
    }
}

SignatureList first_texts(SignatureList list, std::size_t n) {
    list.resize(n);
    return list;
}

INSTANTIATE_TEST_SUITE_P(
    EngineFaults, BrokenSignatureList,
    ::testing::Values(BrokenList{"GeneralOneTextTooMany", jpg_list() + SignatureList{"stray"}, thorough_list()},
                      BrokenList{"GeneralShortOfOneRecord", first_texts(jpg_list(), 6), thorough_list()},
                      BrokenList{"GeneralOneTextShortOfTwoRecords",
                                 first_texts(jpg_list() + record("PNG", 1 << 20, "89504E47"), 13),
                                 thorough_list()},
                      BrokenList{"ThoroughOneTextTooMany", jpg_list(), thorough_list() + SignatureList{"stray"}}),
    [](const auto& test_param) { return std::string(test_param.param.name); });

// ---------------------------------------------------------------------------
// The source is only read

// The harness's guard fails any scan that opens its source for writing or writes through it.
TEST(SourceIsOnlyRead, OpenedOnceForBothPassesByTheRealOpenerAndUnchanged) {
    ScanHarness h(jpg_list(), thorough_list());
    SectorImage img(64);
    img.header(0, kJpg).header(17, kThorough).header(33, kJpg).zero(40);
    const std::string path = img.save(h.home / "card.img");
    h.choose(path, img.sectors(), h.home / "out", true);
    h.start();
    ASSERT_TRUE(h.run_until_done(20s));

    EXPECT_EQ(h.source.opens(), 1);
    EXPECT_EQ(regular_files_under(h.pass_folder(true)).size(), 2u);
    EXPECT_EQ(regular_files_under(h.pass_folder(false)).size(), 1u);
    EXPECT_TRUE(read_whole_file(path) == std::string(img.bytes().begin(), img.bytes().end())) << "the scan changed its source";
}

// ---------------------------------------------------------------------------
// Both passes from one read give all that the passes in turn gave

// A card of each engine with finds of both passes, thorough headers where
// general ones start and blank sectors, and what happens on the way; and both
// engines' searches from one read against them one after another.
enum class Hap { None, Stop, Unreadable, SavingFails, LinkInThorough, SourceEnds };
struct Fused {
    const char* name;
    std::int32_t mode;
    bool exact;
    Hap hap;
    std::size_t at = 0;  // the sector of the stop or of the source's end; the file size limit in sectors
    bool beside = false;  // video mode searched beside photo mode, from the same read
};
void PrintTo(const Fused& c, std::ostream* os) { *os << c.name; }

std::string search_as(const Fused& c, bool in_turn) {
    // Photo cards, video cards, or both with video mode searched beside photo mode.
    const bool photos = c.mode == kPhotoMode, videos = !photos || c.beside;
    SectorImage img(120);
    if (photos)
        for (const std::size_t s : {0, 9, 23, 24, 40, 57, 70, 100}) img.header(s, kJpg);
    if (videos)
        for (const std::size_t s : {2, 20, 21, 50, 80}) img.header(s, {0x52, 0x49, 0x46, 0x46});
    for (const std::size_t s : {5, 30, 62, 90}) img.header(s, kThorough);
    if (videos) img.header(35, {0, 0, 0, 0x18, 0x66, 0x74, 0x79, 0x70}).header(65, {0, 0, 0, 0x18, 0x66, 0x74, 0x79, 0x70});
    img.zero(12).zero(13).zero(45);
    // The thorough THK and RIF start where general finds do; its AVI goes on from the general AVI's names.
    const SignatureList photo_general = record("JPG", 10 * 512, "FFD8FFE0"),
                        photo_thorough = thorough_list() + record("THK", 1 << 20, "FFD8"),
                        video_general = record("AVI", 12 * 512, "52494646") + record("WAV", 4 * 512, "52494646"),
                        video_thorough = record("MOV", 8 * 512, "66747970", "5") + record("AVI", 6 * 512, "A1B2C3D4") +
                                         record("RIF", 1 << 20, "5249") + record("RIX", 3 * 512, "52494646");
    ScanHarness h(photo_general, photo_thorough);
    h.controller.CheckListHeader_Array = video_general;
    h.controller.CheckListHeader_Adv_Array = video_thorough;
    std::vector<TableRow> rows;
    for (const char* type : {"AVI", "WAV", "MOV", "RIF", "RIX"})
        rows.push_back({{"FileTypes", type}, {"NoOfFile", "0"}, {"FileName", ""}, {"FilePath", ""}, {"FileTypes_Hidden", type}});
    h.controller.nsSIGFileInfoDataObject = rows;
    if (c.beside) h.controller.modes_beside.push_back({kVideoMode, video_general, video_thorough, rows});
    h.controller.passes_in_turn = in_turn;
    FaultySource& source = h.source;
    if (c.hap == Hap::Unreadable) source.fail_sector(11), source.fail_sector(31);
    if (c.hap == Hap::Stop || c.hap == Hap::SourceEnds) source.pause_at(c.at), h.controller.read_sectors = 1;
    const std::string card = img.save(h.home / "card.img");
    for (const std::int32_t mode : {std::int32_t{kVideoMode}, c.mode}) {  // each searched mode's controls; the mode's last
        h.choose(card, img.sectors(), h.home / "out", true, std::nullopt, mode);
        h.choices.exact_files = c.exact;
    }
    if (c.hap == Hap::LinkInThorough) {
        // In video, at the second file of a group.
        const std::string folder = h.pass_folder(false, videos ? "Video Search" : "Photo Search") + (videos ? "/RIX" : "/THJ");
        fs::create_directories(folder);
        fs::create_symlink(h.home.write("precious.txt", "keep me"), folder + (videos ? "/RIX00001.RIX" : "/THD00002.THJ"));
    }
    std::optional<FileSizeLimit> limit;
    if (c.hap == Hap::SavingFails) limit.emplace(c.at * 512);
    h.start();
    if (c.hap == Hap::Stop || c.hap == Hap::SourceEnds) {
        EXPECT_TRUE(h.pump_until([&] { return source.paused(); }, 20s));
        if (c.hap == Hap::Stop) h.controller.stop_now = 1;
        else fs::resize_file(card, 15 * SectorImage::kSector);
        source.release();
    }
    EXPECT_TRUE(h.run_until_done());
    limit.reset();
    return h.what_the_search_gave();
}

class FusedPasses : public ::testing::TestWithParam<Fused> {};

TEST_P(FusedPasses, GiveWhatThePassesInTurnGave) {
    const std::string in_turn = search_as(GetParam(), true);
    EXPECT_EQ(search_as(GetParam(), false), in_turn);
    // One final screen, whatever ended the search.
    EXPECT_EQ(in_turn.find("end_of_search_notice"), in_turn.rfind("end_of_search_notice"));
    EXPECT_NE(in_turn.find("end_of_search_notice"), std::string::npos);
}

// General files run to 10 sectors (12 for AVI); a thorough one from 40 to 57 (21 to 35 in video) is longer.
INSTANTIATE_TEST_SUITE_P(
    EngineFaults, FusedPasses,
    ::testing::Values(Fused{"Photos", kPhotoMode, true, Hap::None}, Fused{"PhotosWhole", kPhotoMode, false, Hap::None},
                      Fused{"Videos", kVideoMode, true, Hap::None}, Fused{"VideosWhole", kVideoMode, false, Hap::None},
                      Fused{"PhotosStopAt3", kPhotoMode, false, Hap::Stop, 3},
                      Fused{"PhotosStopAt26", kPhotoMode, true, Hap::Stop, 26},
                      Fused{"PhotosStopAt101", kPhotoMode, false, Hap::Stop, 101},
                      Fused{"VideosStopAt21", kVideoMode, false, Hap::Stop, 21},
                      Fused{"VideosStopAt60", kVideoMode, true, Hap::Stop, 60},
                      Fused{"PhotosUnreadable", kPhotoMode, true, Hap::Unreadable},
                      Fused{"VideosUnreadable", kVideoMode, false, Hap::Unreadable},
                      Fused{"PhotosGeneralFull", kPhotoMode, true, Hap::SavingFails, 8},
                      Fused{"PhotosThoroughFull", kPhotoMode, false, Hap::SavingFails, 11},
                      Fused{"VideosGeneralFull", kVideoMode, false, Hap::SavingFails, 8},
                      Fused{"VideosThoroughFull", kVideoMode, false, Hap::SavingFails, 12},
                      Fused{"PhotosLinkInThorough", kPhotoMode, false, Hap::LinkInThorough},
                      Fused{"VideosLinkInThorough", kVideoMode, false, Hap::LinkInThorough},
                      Fused{"PhotosSourceEnds", kPhotoMode, false, Hap::SourceEnds, 20},
                      Fused{"PhotosAndVideos", kPhotoMode, true, Hap::None, 0, true},
                      Fused{"PhotosAndVideosWhole", kPhotoMode, false, Hap::None, 0, true},
                      Fused{"PhotosAndVideosStopAt40", kPhotoMode, true, Hap::Stop, 40, true},
                      Fused{"PhotosAndVideosUnreadable", kPhotoMode, true, Hap::Unreadable, 0, true},
                      Fused{"PhotosAndVideosLinkInVideoThorough", kPhotoMode, false, Hap::LinkInThorough, 0, true}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

}  // namespace
