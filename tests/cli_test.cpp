// salvex-scan and the bundle executable, run as a user runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <cstdio>
#include <set>

#include "cli/options.h"
#include "support/loop_device.h"
#include "support/shell.h"

namespace {

using salvex::test::run;

const std::string kScan = std::string("'") + SALVEX_BIN_DIR + "/salvex-scan'";

TEST(Options, DefaultsAndEditionNames) {
    const auto birch = salvex::cli::parse_options({"--list-signatures"});
    ASSERT_TRUE(birch.options);
    EXPECT_EQ(birch.options->edition, "Birch");
    const auto fir = salvex::cli::parse_options({"--edition=fir", "--list-signatures"});
    ASSERT_TRUE(fir.options);
    EXPECT_EQ(fir.options->edition, "Fir");
}

TEST(Options, BadUsageIsExplained) {
    // Unknown editions and options are checked on the built program (SalvexScan, ExitStatus).
    EXPECT_NE(salvex::cli::parse_options({"--edition"}).error.find("--edition needs a value"), std::string::npos);
    EXPECT_FALSE(salvex::cli::parse_options({}).options);
}

TEST(SalvexScan, HelpAndUsageErrors) {
    const auto help = run(kScan + " --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("Usage: salvex-scan"), std::string::npos);
    EXPECT_NE(help.output.find("--list-signatures"), std::string::npos);

    const auto bad = run(kScan + " --edition Oak --list-signatures");
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.output.find("unknown edition \"Oak\""), std::string::npos);
    EXPECT_NE(bad.output.find("Try 'salvex-scan --help'"), std::string::npos);
}

// Saving onto the searched volume can overwrite what the user wants back: refused
// before anything is made there, unless asked for with --force.
TEST(SalvexScan, RefusesADestinationOnTheSourceUnlessForced) {
    salvex::test::TempFolder dir;
    salvex::test::MountedExt4 card(dir, "card", "4M");
    if (!card.skip_reason().empty()) GTEST_SKIP() << card.skip_reason();
    const std::string dest = card.mount_point() + "/recovered";
    const std::string scan = "XDG_DATA_HOME=" + salvex::test::quote(dir / "data") + " " + kScan + " --source " +
                             card.device().identifier() + " --dest " + salvex::test::quote(dest) + " --no-thorough";
    const auto refused = run(scan);
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.output.find("the volume being searched"), std::string::npos) << refused.output;
    EXPECT_NE(refused.output.find("--force"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dest));

    const auto forced = run(scan + " --force");
    EXPECT_EQ(forced.status, 0) << forced.output;
    EXPECT_TRUE(std::filesystem::is_directory(dest + "/Salvex Birch Recovery Results"));
}

TEST(SalvexScan, ListsTheChosenEditionsModesAndRecords) {
    const auto fir = run("XDG_DATA_HOME=/tmp " + kScan + " --edition Fir --list-signatures");
    EXPECT_EQ(fir.status, 0);
    EXPECT_NE(fir.output.find("Edition:        Fir\nLong name:      Salvex Fir Recovery\n"), std::string::npos);
    EXPECT_NE(fir.output.find("Modes offered:  photo\n"), std::string::npos);
    EXPECT_NE(fir.output.find("Drives listed:  removable and internal"), std::string::npos);
    EXPECT_NE(fir.output.find("Photo, general pass (FIRPhoto.sig): "), std::string::npos);
    EXPECT_EQ(fir.output.find("Video"), std::string::npos);

    const auto birch = run("XDG_DATA_HOME=/tmp " + kScan + " --list-signatures");
    EXPECT_NE(birch.output.find("Modes offered:  photo, video, raw file, audio\n"), std::string::npos);
    EXPECT_NE(birch.output.find("Audio, thorough pass (BIRAudioAdv.sig): "), std::string::npos);
    EXPECT_NE(birch.output.find("JPG "), std::string::npos);
}

TEST(BundleExecutable, TakesItsEditionFromTheBundleItRunsFrom) {
    const auto alder = run(std::string("XDG_DATA_HOME=/tmp '") + SALVEX_BIN_DIR +
                           "/Salvex Alder Recovery.app/Contents/MacOS/Salvex Alder Recovery' a b c --edition-report");
    EXPECT_EQ(alder.status, 0);
    EXPECT_NE(alder.output.find("Long name:      Salvex Alder Recovery\n"), std::string::npos);
    EXPECT_NE(alder.output.find("Modes offered:  photo, raw file\n"), std::string::npos);
}

}  // namespace

namespace {

// Every option --help names, and no other, is in the manual page.
std::set<std::string> options_in(const std::string& text) {
    std::set<std::string> found;
    const auto option_char = [](char c) { return (c >= 'a' && c <= 'z') || c == '-'; };
    for (std::size_t at = 0; (at = text.find("--", at)) != std::string::npos;) {
        std::size_t end = at + 2;
        while (end < text.size() && option_char(text[end])) ++end;
        if (end > at + 2 && text[at + 2] != '-') found.insert(text.substr(at, end - at));
        at = end;
    }
    return found;
}

TEST(SalvexScan, ManualPageListsTheOptionsOfHelp) {
    std::string manual = salvex::test::slurp(std::string(SALVEX_SOURCE_DIR) + "/packaging/salvex-scan.1");
    for (std::size_t at = 0; (at = manual.find("\\-", at)) != std::string::npos;) manual.erase(at, 1);
    EXPECT_EQ(options_in(manual), options_in(salvex::cli::usage_text()));
}

}  // namespace
