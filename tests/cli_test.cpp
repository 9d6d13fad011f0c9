// salvex-scan and the bundle executable, run as a user runs them.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <cstdio>
#include <set>

#include <sys/stat.h>
#include <unistd.h>

#include "app/bundle_info.h"
#include "app/my_table_controller.h"
#include "cli/file_types.h"
#include "cli/options.h"
#include "cli/progress_line.h"
#include "cli/scan_command.h"
#include "cli/terminal_view.h"
#include "platform/folder_lock.h"
#include "support/bundle_maker.h"
#include "support/faulty_source.h"
#include "support/loop_device.h"
#include "support/sector_image.h"
#include "support/shell.h"

namespace {

namespace fs = std::filesystem;
using salvex::test::quote;
using salvex::test::run;
using salvex::test::TempFolder;

const std::string kScan = std::string("'") + SALVEX_BIN_DIR + "/salvex-scan'";

TEST(Options, DefaultsAndEditionNames) {
    const auto birch = salvex::cli::parse_options({"--list-signatures"});
    ASSERT_TRUE(birch.options);
    EXPECT_EQ(birch.options->edition, "Birch");
    const auto fir = salvex::cli::parse_options({"--edition=fir", "--list-signatures"});
    ASSERT_TRUE(fir.options);
    EXPECT_EQ(fir.options->edition, "Fir");
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

    // Bad usage is 2 and writes nothing. A switch is on by being there: given a value, it is bad usage, not a yes.
    TempFolder dir;
    for (const auto& [options, said] : std::initializer_list<std::pair<std::string, std::string>>{
             {"--force=no", "--force takes no value"}, {"--whole-sectors=no", "--whole-sectors takes no value"},
             {"--no-thorough=1", "--no-thorough takes no value"}, {"--range 5:2", "--range must end after it starts"},
             {"--range 5", "--range wants two sector numbers"}, {"--frobnicate", "unknown option \"--frobnicate\""},
             {"--mode sound", "unknown mode \"sound\""}, {"--edition", "--edition needs a value"}}) {
        const auto ran = run(kScan + " --source " + quote(dir.write("card.img", std::string(4096, '\0'))) + " --dest " +
                             quote(dir / "out") + " " + options + " </dev/null");
        EXPECT_EQ(ran.status, 2) << options;
        EXPECT_NE(ran.output.find("salvex-scan: " + said), std::string::npos) << ran.output;
        EXPECT_FALSE(fs::exists(dir / "out")) << options;
    }
}

// salvex-scan (or what runs it) from source into destination, with no terminal to ask on.
salvex::test::Ran scan(const TempFolder& dir, const std::string& source, const std::string& dest,
                       const std::string& more = "", const std::string& program = kScan) {
    return run("XDG_DATA_HOME=" + quote(dir / "data") + " " + program + " --source " + quote(source) + " --dest " +
               quote(dest) + " --no-thorough " + more + " </dev/null");
}

// Saving onto the searched volume (for an image, the mount of the loop device it
// backs) can overwrite what the user wants back: refused before anything is made
// there, unless asked for with --force. Saving over the source itself is refused
// even then.
TEST(SalvexScan, NeverWritesOverItsSource) {
    TempFolder dir;
    salvex::test::MountedExt4 card(dir, "card", "4M");
    if (!card.skip_reason().empty()) GTEST_SKIP() << card.skip_reason();
    const std::string dest = card.mount_point() + "/recovered";
    for (const std::string& source : {card.device().identifier(), dir / "card.img"}) {
        const auto refused = scan(dir, source, dest);
        EXPECT_EQ(refused.status, 2) << refused.output;
        EXPECT_NE(refused.output.find("the volume being searched"), std::string::npos) << refused.output;
        EXPECT_NE(refused.output.find("--force"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(dest));
    const auto forced = scan(dir, card.device().identifier(), dest, "--force");
    EXPECT_EQ(forced.status, 0) << forced.output;
    EXPECT_TRUE(fs::is_directory(dest + "/Salvex Birch Recovery Results"));

    const std::string image = dir.write("small.img", std::string(4096, '\xff'));
    const std::string in_tree =
        dir.write("out/Salvex Birch Recovery Results/Photo Search/General Recovery Results/JPG/GND00001.JPG",
                  std::string(4096, '\xff'));
    for (const auto& [source, into] : {std::pair{image, image}, {image, image + "/sub"}, {in_tree, dir / "out"}}) {
        const auto ran = scan(dir, source, into, "--force");
        EXPECT_EQ(ran.status, 2) << into << ": " << ran.output;
        EXPECT_NE(ran.output.find("would write over the source itself"), std::string::npos) << ran.output;
        EXPECT_EQ(fs::file_size(source), 4096u);
    }
}

// What stops a search before it starts is said on standard error as
// "salvex-scan: PATH: CAUSE", with what works on this system, and leaves no
// folders behind: a result folder another search holds, an image's size (its
// tail counts as a last sector), a signature file that gives nothing (a FIFO
// must not hold the program up), an image or a device it may not read.
TEST(SalvexScan, RefusalsBeforeTheSearchSayWhyOnStandardError) {
    TempFolder dir;
    fs::permissions(dir.path(), fs::perms::all);
    const std::string card = dir.write("card.img", std::string(3 * 512 + 100, '\0'));
    const std::string held = dir / "held/Salvex Birch Recovery Results/Photo Search";
    fs::create_directories(held);
    const salvex::platform::FolderLock other_search(held);
    fs::copy_file(std::string(SALVEX_BIN_DIR) + "/salvex-scan", dir / "salvex-scan");
    const std::string resources =
        salvex::test::make_bundle(dir, "Salvex Birch Recovery", {{"BIRPhotoAdv.sig", "# none yet\n"}}) +
        "/Contents/Resources";
    ASSERT_EQ(::mkfifo((resources + "/BIRPhoto.sig").c_str(), 0600), 0);
    const std::string unreadable = dir.write("unreadable.img", std::string(4096, '\0'));
    fs::permissions(unreadable, fs::perms::owner_read | fs::perms::owner_write);
    // Root reads anything: the image's refusal needs someone else.
    const std::string as_nobody = ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " + kScan : "";
    const salvex::test::LoopDevice device(unreadable);
    const std::string device_as_nobody = device.attached() ? as_nobody : "";
    // With --mode all, a link in place of one mode's folder refuses the search before any folder is made.
    const fs::path linked = dir / "linked/Salvex Birch Recovery Results";
    fs::create_directories(linked);
    fs::create_directories(dir / "elsewhere");
    fs::create_directory_symlink(dir / "elsewhere", linked / "File Search");

    struct Case {
        std::string source, dest, more, program;
        int status;
        std::string said;
    };
    for (const Case& c : {Case{card, dir / "held", "", kScan, 2,
                               held + ": another search is saving into this folder right now\n"},
                          Case{card, dir / "out", "--range 0:5", kScan, 2,
                               "the range 0:5 goes past the end of " + card + ", which has 4 sectors"},
                          Case{card, dir / "out", "", "timeout 60 " + quote(dir / "salvex-scan"), 1,
                               resources + "/BIRPhoto.sig: not a regular file\nsalvex-scan: " + resources +
                                   "/BIRPhotoAdv.sig: holds no signature record\n"},
                          Case{unreadable, dir / "out", "--mode file", as_nobody, 1,
                               unreadable + ": permission denied\nMake the image readable to you"},
                          Case{device.node(), dir / "out", "", device_as_nobody, 1,
                               device.node() + ": permission denied\nReading a device needs administrator rights: "
                                               "run salvex-scan with sudo."},
                          Case{card, dir / "linked", "--mode all", kScan, 1,
                               (linked / "File Search").string() + ": a link or a file stands there"},
                          Case{dir / "no-such-card.img", dir / "out", "", kScan, 1,
                               "there is no device or disk image called " + dir / "no-such-card.img"},
                          Case{dir / "elsewhere", dir / "out", "", kScan, 1, dir / "elsewhere" + " is a folder"}}) {
        if (c.program.empty()) continue;
        const auto ran = scan(dir, c.source, c.dest, c.more, c.program);
        EXPECT_EQ(ran.status, c.status) << c.said << ": " << ran.output;
        EXPECT_NE(ran.output.find("salvex-scan: " + c.said), std::string::npos) << ran.output;
        EXPECT_EQ(ran.output.find("System Settings"), std::string::npos) << ran.output;
        EXPECT_EQ(ran.output.find("err no"), std::string::npos) << ran.output;
        EXPECT_FALSE(fs::exists(dir / "out")) << c.said;
    }
    EXPECT_TRUE(fs::is_empty(dir / "elsewhere"));
    EXPECT_EQ(std::distance(fs::directory_iterator(linked), fs::directory_iterator()), 1);  // the link alone
}

// Asked to end, or left by its terminal, it stops at once and keeps what it found.
TEST(SalvexScan, HangUpOrTerminateStopsAndKeepsWhatWasFound) {
    TempFolder dir;
    const std::string image = dir.write("big.img", "");
    fs::resize_file(image, std::uintmax_t{8} << 30);  // sparse: long enough to be stopped
    for (const std::string signal : {"HUP", "TERM"}) {
        const std::string pass = dir / signal + "/Salvex Birch Recovery Results/Photo Search/General Recovery Results";
        const auto ran = run("XDG_DATA_HOME=" + quote(dir / "data") + " " + kScan + " --source " + quote(image) +
                             " --dest " + quote(dir / signal) + " </dev/null & pid=$!; while [ ! -d " + quote(pass) +
                             " ] && kill -0 $pid 2>/dev/null; do sleep 0.05; done; kill -" + signal +
                             " $pid; wait $pid; echo status $?");
        EXPECT_NE(ran.output.find("Stopped at sector"), std::string::npos) << signal << ": " << ran.output;
        EXPECT_NE(ran.output.find("Recovered 0 files"), std::string::npos) << signal << ": " << ran.output;
        EXPECT_NE(ran.output.find("status 130"), std::string::npos) << signal << ": " << ran.output;
    }
}

// Its own run over a card that misbehaves, in the photo engine and the group one:
// a sector that never reads is zeros in place, said in the summary and the
// report with the file holding it; a card gone midway (ENXIO, ENODEV, ENOMEDIUM) ends the
// search with the read error, its last file holding only what was read.
TEST(SalvexScan, UnreadableSectorsAndACardGoneAreSaid) {
    struct Case {
        std::string mode, type;
        std::vector<std::uint8_t> header;
        int gone;  // 0: sector 5 never reads; else errno from sector 30 on
    };
    const std::vector<std::uint8_t> jpg{0xFF, 0xD8, 0xFF, 0xE0}, flv{0x46, 0x4C, 0x56, 0x01};
    for (const Case& c : {Case{"photo", "JPG", jpg, 0}, Case{"video", "FLV", flv, 0}, Case{"photo", "JPG", jpg, ENXIO},
                          Case{"video", "FLV", flv, ENODEV}, Case{"photo", "JPG", jpg, ENOMEDIUM}}) {
        SCOPED_TRACE(c.mode + " " + std::to_string(c.gone));
        TempFolder dir;
        salvex::test::SectorImage img(40);
        img.header(0, c.header).header(20, c.header);
        salvex::test::FaultySource source;
        if (c.gone == 0) source.fail_sector(5);
        else source.vanish_at(30, c.gone);
        salvex::cli::Options o;
        o.source = img.save(dir / "card.img");
        o.destination = dir / "out";
        o.mode = c.mode;
        o.thorough = o.exact_files = false;
        std::FILE* err = std::tmpfile();
        ASSERT_NE(err, nullptr);
        salvex::TerminalView view(stdout, nullptr, err);
        MyTableController controller(view, salvex::bundle_at(std::string(SALVEX_BIN_DIR) + "/Salvex Birch Recovery.app"));
        controller.load_signature_catalogue();
        controller.source_opener = source.wrap(controller.source_opener);
        ASSERT_EQ(salvex::cli::choose_mode_and_types(o, controller, true), 0);
        ::testing::internal::CaptureStdout();
        const int status = salvex::cli::run_scan(o, controller, view);
        const std::string out = ::testing::internal::GetCapturedStdout();
        std::rewind(err);
        std::string said(4096, '\0');
        said.resize(std::fread(said.data(), 1, said.size(), err));
        std::fclose(err);

        const std::string search =
            dir / "out/Salvex Birch Recovery Results/" + (c.mode == "photo" ? "Photo" : "Video") + " Search";
        const std::string type = search + "/General Recovery Results/" + c.type + "/";
        const std::string first = salvex::test::slurp(type + (c.mode == "photo" ? "GND00001." : "FLV00001.") + c.type);
        const std::string second = salvex::test::slurp(type + (c.mode == "photo" ? "GND00002." : "FLV00002.") + c.type);
        const std::string report = salvex::test::slurp(search + "/report.xml");
        // The progress line counts the files of every engine.
        const std::string line = salvex::cli::ProgressLine(controller)();
        EXPECT_TRUE(line.ends_with("  2 files found")) << line;
        if (c.gone == 0) {
            EXPECT_EQ(status, 0) << said;
            EXPECT_EQ(first, img.range(0, 5) + std::string(512, '\0') + img.range(6, 21));
            EXPECT_EQ(second, img.range(20, 40));
            EXPECT_NE(out.find("1 sector could not be read, first at 5; these files hold zeros there:\n  " + type +
                               (c.mode == "photo" ? "GND00001." : "FLV00001.") + c.type + "\n"),
                      std::string::npos)
                << out;
            EXPECT_NE(report.find("<unreadable_sector>5</unreadable_sector>"), std::string::npos) << report;
            EXPECT_NE(report.find("<unreadable_sectors count=\"1\" first=\"5\"/>"), std::string::npos) << report;
            EXPECT_EQ(said, "");
        } else {
            EXPECT_EQ(status, 1);
            EXPECT_EQ(first, img.range(0, 21));
            EXPECT_EQ(second, img.range(20, 30));  // nothing it did not read
            EXPECT_EQ(said, "salvex-scan: " + o.source + ": Error in storage media reading.\n");
            EXPECT_EQ(out.find("could not be read"), std::string::npos) << out;
        }
        EXPECT_NE(out.find("Recovered 2 files"), std::string::npos) << out;
    }
}

// The modes each edition offers are the edition test's; here the listing follows its edition.
TEST(SalvexScan, ListsTheChosenEditionsRecordsAndTheBundleExecutableItsOwn) {
    const auto fir = run("XDG_DATA_HOME=/tmp " + kScan + " --edition Fir --list-signatures");
    EXPECT_EQ(fir.status, 0);
    EXPECT_NE(fir.output.find("Edition:        Fir\nLong name:      Salvex Fir Recovery\n"), std::string::npos);
    EXPECT_NE(fir.output.find("Photo, general pass (FIRPhoto.sig): "), std::string::npos);
    EXPECT_NE(fir.output.find("JPG "), std::string::npos);
    EXPECT_EQ(fir.output.find("Video"), std::string::npos);

    const auto alder = run(std::string("XDG_DATA_HOME=/tmp '") + SALVEX_BIN_DIR +
                           "/Salvex Alder Recovery.app/Contents/MacOS/Salvex Alder Recovery' a b c --edition-report");
    EXPECT_EQ(alder.status, 0);
    EXPECT_NE(alder.output.find("Long name:      Salvex Alder Recovery\n"), std::string::npos);
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
