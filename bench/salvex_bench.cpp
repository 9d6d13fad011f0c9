// salvex_bench: how fast the photo engine's general pass goes through cached
// card images, beside what cat and cp manage on the same machine. It prints
// figures and PASS/MISS against the speed goals, and never fails on a miss.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

#include "app/bundle_info.h"
#include "app/globals.h"
#include "app/my_table_controller.h"
#include "bench/bench_files.h"
#include "cli/terminal_view.h"
#include "engine/header_match.h"
#include "engine/output_naming.h"
#include "platform/paths.h"

using salvex::kSignatureStride;
using salvex::kPhotoMode;
using salvex::kVideoMode;
using salvex::kRawFileMode;
using salvex::kAudioMode;
using salvex::ScanOutcome;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using salvex::bench::ensure_pattern_image;
using salvex::bench::read_through;
using salvex::bench::remove_and_flush;
using salvex::bench::spread_subfolders;

namespace {

constexpr double kMegabyte = 1e6;
constexpr double kEngineGoalMBps = 2000.0;
constexpr double kCardGoalRatio = 0.7;

struct Options {
    fs::path data, out;
    std::uint64_t image_mib = 1024;
    int runs = 5;
    std::string edition = "Birch";
    std::string cases = "abcd";  // a subset lets a profiler watch one case alone
    bool limits = true;
};

constexpr const char* kUsage =
    "usage: salvex_bench [--data DIR] [--out DIR] [--runs N] [--cases abcd] [--no-limits]\n"
    "                    [--image-mib N] [--edition NAME]\n"
    "  --data DIR     the images: random.img and zero.img (made here when missing) and\n"
    "                 photos.img (made by bench/make-photo-image.sh); default ../bench-data\n"
    "  --out DIR      where carved files and the cp copy go; default ../bench-out\n"
    "  --runs N       runs per figure, the median is printed (5)\n"
    "  --cases abcd   which passes to time: a random, b zeroed, c the photo card, d the video card\n"
    "  --no-limits    skip timing cat and cp\n"
    "  --image-mib N  size of random.img and zero.img (1024)\n"
    "  --edition NAME the bundle whose signatures load (Birch)\n";

// Nothing on a bad argument; exits at once for --help.
std::optional<Options> parse(int argc, char** argv) {
    Options o;
    const fs::path exe_dir = fs::path(salvex::platform::executable_path()).parent_path();
    o.data = exe_dir.parent_path() / "bench-data";
    o.out = exe_dir.parent_path() / "bench-out";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "--data" && has_value) {
            o.data = argv[++i];
        } else if (arg == "--out" && has_value) {
            o.out = argv[++i];
        } else if (arg == "--runs" && has_value) {
            o.runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--image-mib" && has_value) {
            o.image_mib = std::max<std::uint64_t>(1, std::strtoull(argv[++i], nullptr, 10));
        } else if (arg == "--edition" && has_value) {
            o.edition = argv[++i];
        } else if (arg == "--cases" && has_value) {
            o.cases = argv[++i];
        } else if (arg == "--no-limits") {
            o.limits = false;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else {
            std::fprintf(stderr, "salvex_bench: unknown argument %s\n%s", arg.c_str(), kUsage);
            return std::nullopt;
        }
    }
    o.data = fs::absolute(o.data).lexically_normal();
    o.out = fs::absolute(o.out).lexically_normal();
    return o;
}

double seconds_since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// User and system time of the whole process. Far below the wall time, it says
// the pass waited for a core or the disk.
double cpu_seconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    const auto s = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return s(u.ru_utime) + s(u.ru_stime);
}

double mbps(std::uint64_t bytes, double seconds) {
    return seconds > 0 ? static_cast<double>(bytes) / kMegabyte / seconds : 0.0;
}

const char* verdict(bool met) { return met ? "PASS" : "MISS"; }

std::string quoted(const std::string& text) {
    std::string q = "'";
    for (const char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Other work on the machine slows every figure; the reader should know of it.
std::string load_average() {
    std::ifstream f("/proc/loadavg");
    std::string one;
    return f >> one ? one : std::string("?");
}

double time_shell(const std::string& command) {
    const auto start = Clock::now();
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "salvex_bench: failed: %s\n", command.c_str());
    return seconds_since(start);
}

double time_cat(const fs::path& image) { return time_shell("cat " + quoted(image) + " > /dev/null"); }

double time_cp(const fs::path& image, const fs::path& folder) {
    remove_and_flush(folder);
    fs::create_directories(folder);
    const fs::path copy = folder / "card-copy.img";
    const double s = time_shell("cp --reflink=never " + quoted(image) + " " + quoted(copy) + " && sync");
    remove_and_flush(folder);
    return s;
}

struct PassResult {
    double pass_seconds = 0, sync_seconds = 0, cpu_seconds = 0;
    std::size_t files = 0;
    std::uint64_t bytes_written = 0;
    std::map<std::string, std::size_t> per_type;
    bool completed = false;
};

// One general pass over the whole image, driven as salvex-scan drives it.
// Whole sectors unless `exact`: the carving rule alone, as before files were finished.
PassResult run_pass(MyTableController& controller, salvex::TerminalView& view, const fs::path& image,
                    const fs::path& destination, std::int32_t mode = kPhotoMode, bool exact = false,
                    bool thorough = false) {
    using salvex::Outlet;
    remove_and_flush(destination);
    fs::create_directories(destination);
    const std::uint64_t sectors = fs::file_size(image) / salvex::kSectorSize;

    Recovery_MODE = mode;
    const bool sig = mode != kPhotoMode;
    if (sig) {
        // Every type of the mode ticked, as the file-type screen starts.
        controller.Fill_Check_List();
        controller.Apply_Check_List_Selection();
    }
    view.set_text(Outlet::disk_identifier, image.string());
    view.set_text(Outlet::sectors_val, std::to_string(sectors));
    view.set_state(salvex::in_set(Outlet::entire_disk_rd, sig), true);
    view.set_state(salvex::in_set(Outlet::sector_range_rd, sig), false);
    view.set_text(salvex::in_set(Outlet::Start_slider_val, sig), "0");
    view.set_text(salvex::in_set(Outlet::End_slider_val, sig), std::to_string(sectors));
    view.set_text(Outlet::path, destination.string());
    view.set_state(sig ? Outlet::Thro_Mode_Chk_SIG : Outlet::Thro_Mode_Chk, thorough);
    view.set_state(salvex::in_set(Outlet::exact_files_chk, sig), exact);
    controller.stop_now = 0;
    controller.Preview_Image_Count = 0;

    PassResult r;
    const double cpu_start = cpu_seconds();
    const auto start = Clock::now();
    controller.start_scan();
    // A short wait per pump, so that the end of the pass is seen at once and not padded.
    while (controller.scan_thread_running() || view.queue().run_pending() > 0)
        view.queue().run_for(std::chrono::milliseconds(1));
    controller.join_scan_threads();
    view.queue().run_pending();
    r.pass_seconds = seconds_since(start);
    r.cpu_seconds = cpu_seconds() - cpu_start;
    const auto sync_start = Clock::now();
    ::sync();
    r.sync_seconds = seconds_since(sync_start);
    r.completed = controller.scan_outcome.load() == ScanOutcome::Completed;

    // Every file the search saved, in either pass; the report is not a find.
    const fs::path mode_folder = destination / controller.Rec_Folder_Name / std::string(salvex::mode_folder(mode));
    std::error_code ec;
    if (fs::is_directory(mode_folder, ec)) {
        for (const auto& entry : fs::recursive_directory_iterator(mode_folder, ec)) {
            if (!entry.is_regular_file() || entry.path().filename() == "report.xml") continue;
            ++r.files;
            r.bytes_written += entry.file_size();
            ++r.per_type[entry.path().parent_path().filename().string()];
        }
    }
    return r;
}

struct Series {
    std::vector<double> pass, sync, total, cpu;
    PassResult last;
    bool completed = true;
    void add(PassResult r) {
        pass.push_back(r.pass_seconds);
        cpu.push_back(r.cpu_seconds);
        sync.push_back(r.sync_seconds);
        total.push_back(r.pass_seconds + r.sync_seconds);
        completed = completed && r.completed;
        last = std::move(r);
    }
};

void print_limit(const char* label, std::uint64_t bytes, double seconds) {
    std::printf("  %-28s %7.3f s %8.0f MB/s\n", label, seconds, mbps(bytes, seconds));
}

void print_engine_line(const char* label, std::uint64_t bytes, const Series& s) {
    const double seconds = median(s.pass), rate = mbps(bytes, seconds);
    std::printf("  %-28s %7.3f s %8.0f MB/s  (best %.0f, cpu %.3f s)   goal >= %.0f MB/s  %s   %zu file%s carved%s\n",
                label, seconds, rate, mbps(bytes, *std::min_element(s.pass.begin(), s.pass.end())), median(s.cpu),
                kEngineGoalMBps, verdict(rate >= kEngineGoalMBps), s.last.files, s.last.files == 1 ? "" : "s",
                s.completed ? "" : "   (a pass did not complete)");
}

}  // namespace

int main(int argc, char** argv) {
    const auto parsed = parse(argc, argv);
    if (!parsed) return 2;
    const Options& o = *parsed;
    const auto wanted = [&o](char c) { return o.cases.find(c) != std::string::npos; };
    fs::create_directories(o.data);
    fs::create_directories(o.out);

    const std::uint64_t image_bytes = o.image_mib << 20;
    const fs::path random_image = o.data / "random.img", zero_image = o.data / "zero.img";
    const fs::path photo_image = o.data / "photos.img";
    if (!ensure_pattern_image(random_image, image_bytes, true) ||
        (wanted('b') && !ensure_pattern_image(zero_image, image_bytes, false))) {
        std::fprintf(stderr, "salvex_bench: cannot write the images in %s\n", o.data.c_str());
        return 1;
    }
    std::error_code ec;
    const bool card = wanted('c') && fs::is_regular_file(photo_image, ec);
    std::size_t photos_on_card = 0;
    if (std::ifstream count_file(photo_image.string() + ".files"); count_file) count_file >> photos_on_card;

    // The controller keeps its per-user folder in here, not in the user's home.
    ::setenv("XDG_DATA_HOME", (o.out / "user-data").c_str(), 1);
    const fs::path bundle_path =
        fs::path(salvex::platform::executable_path()).parent_path() / ("Salvex " + o.edition + " Recovery.app");
    if (!fs::is_directory(bundle_path)) {
        std::fprintf(stderr, "salvex_bench: %s is missing\n", bundle_path.c_str());
        return 1;
    }
    salvex::TerminalView view;
    MyTableController controller(view, salvex::bundle_at(bundle_path.string()));
    controller.load_signature_catalogue();
    const std::size_t records = controller.Ext_Array.size() / kSignatureStride;

    for (const auto& image : {random_image, zero_image, photo_image})
        if (fs::is_regular_file(image, ec)) read_through(image);

    std::printf("\nsalvex_bench: photo engine, general pass, %s signatures (%zu records); median of %d run%s; "
                "MB = 10^6 bytes; load average %s\n",
                controller.photo_dll.c_str(), records, o.runs, o.runs == 1 ? "" : "s", load_average().c_str());

    spread_subfolders(o.out);
    const fs::path destination = o.out / "scan", copy = o.out / "cp";
    // The limits and the card's passes take turns, so that both meet the same
    // state of the disk and of the machine.
    const fs::path limit_image = card ? photo_image : random_image;
    const std::uint64_t limit_bytes = fs::file_size(limit_image);
    std::vector<double> cat_times, cp_times;
    Series c, c_exact;
    for (int i = 0; i < o.runs && (o.limits || card); ++i) {
        // The last pass's output goes first, so that cp too writes into memory
        // just freed: on a virtual machine memory long free can be slow to touch.
        remove_and_flush(destination);
        if (o.limits) {
            cat_times.push_back(time_cat(limit_image));
            cp_times.push_back(time_cp(limit_image, copy));
        }
        if (card) c.add(run_pass(controller, view, photo_image, destination));
        if (card) c_exact.add(run_pass(controller, view, photo_image, destination, kPhotoMode, true));
    }
    if (o.limits) {
        std::printf("Machine limits (%s, %.1f MB, cached; copies go to the file system of %s):\n",
                    limit_image.filename().c_str(), static_cast<double>(limit_bytes) / kMegabyte, o.out.c_str());
        print_limit("cat image > /dev/null", limit_bytes, median(cat_times));
        print_limit("cp image + sync", limit_bytes, median(cp_times));
    }

    std::printf("Photo engine, general pass (output in %s, cleared before each run):\n", destination.c_str());
    std::fflush(stdout);
    for (const auto& [letter, label, image] : {std::tuple{'a', "(a) no headers (random)", random_image},
                                               std::tuple{'b', "(b) zeroed sectors", zero_image}}) {
        if (!wanted(letter)) continue;
        Series s;
        for (int i = 0; i < o.runs; ++i) s.add(run_pass(controller, view, image, destination));
        print_engine_line(label, image_bytes, s);
        std::fflush(stdout);
    }

    if (!wanted('c')) return 0;
    if (!card) {
        std::printf("  (c) FAT32 card of JPEGs      skipped: %s is missing (bench/make-photo-image.sh makes it)\n",
                    photo_image.c_str());
        return 0;
    }
    const std::uint64_t card_bytes = fs::file_size(photo_image);
    const double total = median(c.total), pass = median(c.pass);
    const double rate = mbps(card_bytes, total);
    std::printf("  %-28s %7.3f s %8.0f MB/s  (pass %.3f s = %.0f MB/s, cpu %.3f s; then sync %.3f s)\n",
                "(c) FAT32 card of JPEGs", total, rate, pass, mbps(card_bytes, pass), median(c.cpu), median(c.sync));
    if (o.limits) {
        const double ratio = rate / mbps(limit_bytes, median(cp_times));
        std::printf("      pass + sync at %.2fx the speed of cp + sync   goal >= %.2fx  %s\n", ratio, kCardGoalRatio,
                    verdict(ratio >= kCardGoalRatio));
    }
    std::printf("      carved %zu files (%.1f MB written)", c.last.files,
                static_cast<double>(c.last.bytes_written) / kMegabyte);
    if (photos_on_card > 0) std::printf("; the card holds %zu JPEGs", photos_on_card);
    std::printf("%s\n", c.completed ? "" : "; a pass did not complete");
    for (const auto& [type, n] : c.last.per_type) std::printf("        %-8s %zu\n", type.c_str(), n);
    const double finishing = median(c_exact.pass) / pass - 1.0;
    std::printf("      each file finished (cut at its own end, type checked): pass %.3f s (cpu %.3f s), %+.1f%% of the pass"
                "   goal <= +10%%  %s\n",
                median(c_exact.pass), median(c_exact.cpu), 100.0 * finishing, verdict(finishing <= 0.10));
    std::printf("      kept %zu files (%.1f MB written)\n", c_exact.last.files,
                static_cast<double>(c_exact.last.bytes_written) / kMegabyte);

    // (d) The video engine on a card of real videos, against the photo engine's pass.
    const fs::path video_image = o.data / "videos.img";
    if (!wanted('d')) return 0;
    if (!fs::is_regular_file(video_image, ec)) {
        std::printf("  (d) FAT32 card of videos     skipped: %s is missing (bench/make-video-image.sh makes it)\n",
                    video_image.c_str());
        return 0;
    }
    read_through(video_image);
    Series d;
    for (int i = 0; i < o.runs; ++i) d.add(run_pass(controller, view, video_image, destination, kVideoMode));
    const std::uint64_t video_bytes = fs::file_size(video_image);
    const double video_rate = mbps(video_bytes, median(d.pass)), photo_rate = mbps(card_bytes, pass);
    std::printf("Video engine, general pass, every video type ticked:\n");
    std::printf("  %-28s %7.3f s %8.0f MB/s  (cpu %.3f s; then sync %.3f s)\n", "(d) FAT32 card of videos",
                median(d.pass), video_rate, median(d.cpu), median(d.sync));
    std::printf("      at %.2fx the photo pass's MB/s               goal >= 0.80x  %s\n", video_rate / photo_rate,
                verdict(video_rate >= 0.8 * photo_rate));
    std::printf("      carved %zu files (%.1f MB written)\n", d.last.files,
                static_cast<double>(d.last.bytes_written) / kMegabyte);
    for (const auto& [type, n] : d.last.per_type) std::printf("        %-8s %zu\n", type.c_str(), n);

    // What a search leaves on the destination, both passes, per byte of card.
    std::printf("Bytes written per byte of card, both passes, every type ticked (whole sectors -> each file finished):\n");
    for (const auto& [mode, name] : {std::pair{kPhotoMode, "photo"}, std::pair{kVideoMode, "video"},
                                     std::pair{kRawFileMode, "file"}, std::pair{kAudioMode, "audio"}}) {
        if (!controller.mode_is_offered(mode)) continue;
        for (const auto& image : {photo_image, video_image}) {
            const double bytes = static_cast<double>(fs::file_size(image));
            const PassResult whole = run_pass(controller, view, image, destination, mode, false, true);
            const PassResult exact = run_pass(controller, view, image, destination, mode, true, true);
            std::printf("  %-6s on %-12s %6.2f -> %5.2f   (%zu -> %zu files)\n", name, image.filename().c_str(),
                        static_cast<double>(whole.bytes_written) / bytes, static_cast<double>(exact.bytes_written) / bytes,
                        whole.files, exact.files);
        }
    }
    return 0;
}
