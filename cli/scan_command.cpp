#include "cli/scan_command.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include "app/error_words.h"
#include "app/globals.h"
#include "app/my_table_controller.h"
#include "app/texts/salvex_scan.h"
#include "app/texts/search.h"
#include "app/texts/wizard.h"
#include "cli/terminal_view.h"
#include "devices/size_format.h"
#include "engine/header_match.h"
#include "engine/output_naming.h"
#include "engine/output_tree.h"
#include "platform/folder_lock.h"
#include "platform/raw_device.h"
#include "platform/same_device.h"

namespace salvex::cli {

namespace fs = std::filesystem;

namespace {

std::atomic<int> g_interrupts{0};
std::atomic<bool> g_terminate{false};

void on_interrupt(int) { g_interrupts.fetch_add(1); }
// Asked to end (SIGTERM), or the terminal is gone (SIGHUP): there is nobody to
// ask, so stop at once and keep what was found.
void on_terminate(int) {
    g_terminate = true;
    g_interrupts.fetch_add(1);
}

void install_interrupt_handlers() {
    struct sigaction action {};
    action.sa_handler = on_interrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no restart: a second Ctrl-C ends the stop question's read
    ::sigaction(SIGINT, &action, nullptr);
    action.sa_handler = on_terminate;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}

int fail(const std::string& said, int status) {
    std::fputs(text::error_line(said).c_str(), stderr);
    return status;
}

// What a result tree holds: each file with its size and time of last change.
using TreeState = std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>>;

TreeState tree_state(const fs::path& folder) {
    TreeState state;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        state[it->path().string()] = {it->file_size(ec), it->last_write_time(ec)};
    }
    return state;
}

// Counts the files this search wrote, per pass and type: new ones and ones it
// wrote over, not what an earlier search into the same folder left there, nor
// the file that saving stopped in.
void print_summary(const fs::path& search_folder, const TreeState& before, const fs::path& cut_short) {
    std::size_t total = 0;
    const TreeState after = tree_state(search_folder);
    for (const auto pass : {kGeneralPassFolder, kThoroughPassFolder}) {
        const fs::path pass_folder = search_folder / std::string(pass);
        std::map<std::string, std::size_t> per_type;
        for (const auto& [path, stamp] : after) {
            const fs::path file(path);
            if (file.parent_path().parent_path() != pass_folder) continue;
            if (const auto old = before.find(path); old != before.end() && old->second == stamp) continue;
            if (file == cut_short) continue;
            // Roll-over folders (JPG_001, ...) count with their type.
            std::string type = file.parent_path().filename().string();
            if (const auto u = type.rfind('_'); u != std::string::npos && type.size() - u == 4) type.resize(u);
            ++per_type[type];
        }
        std::error_code ec;
        if (per_type.empty() && !fs::is_directory(pass_folder, ec)) continue;
        std::size_t pass_total = 0;
        for (const auto& [type, n] : per_type) pass_total += n;
        std::fputs(text::pass_total_line(pass, pass_total).c_str(), stdout);
        for (const auto& [type, n] : per_type) std::fputs(text::type_count_line(type, n).c_str(), stdout);
        total += pass_total;
    }
    std::fputs(text::recovered_line(total, search_folder.string()).c_str(), stdout);
}

}  // namespace

int run_scan(const Options& options, MyTableController& controller, TerminalView& view) {
    // A name with a slash, or a file that exists here, is a disk image; anything else a device.
    std::string identifier = options.source;
    struct stat st {};
    if (identifier.find('/') != std::string::npos || ::stat(identifier.c_str(), &st) == 0)
        identifier = fs::absolute(identifier).lexically_normal().string();
    const std::string source_path = platform::raw_device_path(identifier);
    if (::stat(source_path.c_str(), &st) != 0)
        return errno == ENOENT
                   ? fail(text::no_such_source(options.source, source_path), 1)
                   : fail(source_path + ": " + plain_cause(errno), 1);
    if (S_ISDIR(st.st_mode)) return fail(text::source_is_folder(options.source), 1);
    errno = 0;
    const auto bytes = platform::source_size_bytes(source_path);
    // A device it may not open is not "neither": say what gives the rights.
    if (!bytes && (errno == EACCES || errno == EPERM))
        return fail(text::device_needs_sudo(source_path), 1);
    if (!bytes) return fail(text::neither_device_nor_image(options.source), 1);
    const std::uint64_t sectors = S_ISREG(st.st_mode) ? image_sectors(*bytes) : *bytes / kSectorSize;
    if (sectors == 0) return fail(text::empty_source(source_path), 1);
    if (options.range_end && *options.range_end > sectors)
        return fail(text::range_past_end(*options.range_start, *options.range_end, options.source, sectors), 2);

    const std::int32_t mode = Recovery_MODE;
    const fs::path destination = fs::absolute(options.destination).lexically_normal();
    // The mode's search, then those of the modes searched beside it.
    std::vector<std::int32_t> modes{mode};
    for (const auto& m : controller.modes_beside) modes.push_back(m.mode);
    std::vector<fs::path> search_folders;
    for (const std::int32_t m : modes)
        search_folders.push_back(destination / controller.Rec_Folder_Name / std::string(mode_folder(m)));
    const fs::path& search_folder = search_folders.front();
    // Checked before anything is made there. Writing over the source itself is
    // refused even when asked for; saving beside it on its own volume only unasked.
    for (const fs::path& folder : search_folders)
        if (platform::result_folder_holds_source(folder.string(), source_path))
            return fail(text::destination_holds_source(source_path, destination.string()), 2);
    if (!options.force && platform::writes_onto_device(destination.string(), source_path))
        return fail(text::destination_on_source(destination.string(), source_path), 2);

    using salvex::Outlet;
    // Claiming the result folder and the messages about the source look here, as in the window.
    view.set_text(Outlet::disk_identifier, identifier);
    view.set_text(Outlet::path, destination.string());
    const ScanParameters choices{.device_identifier = identifier,
                                 .device_sectors = sectors,
                                 .entire_disk = !options.range_end,
                                 .sector_range = options.range_end.has_value(),
                                 .start_text = std::to_string(options.range_start.value_or(0)),
                                 .end_text = std::to_string(options.range_end.value_or(sectors)),
                                 .destination = destination.string(),
                                 .thorough = options.thorough,
                                 .exact_files = options.exact_files};

    std::vector<TreeState> before;
    for (const fs::path& folder : search_folders) before.push_back(tree_state(folder));
    // It says why it refuses: a folder another search holds is bad usage, one that cannot be made a failure.
    std::error_code ec;
    // The folders of the modes beside it are held as well; those made here and
    // left empty (their search never came to save) go again.
    std::vector<platform::FolderLock> locks;
    std::vector<fs::path> made;
    const auto let_go = [&] {
        locks.clear();
        std::sort(made.begin(), made.end(), [](const fs::path& a, const fs::path& b) { return a.native().size() > b.native().size(); });
        for (const fs::path& folder : made) fs::remove(folder, ec);  // deepest first, only while empty
    };
    for (std::size_t i = 1; i < search_folders.size(); ++i) {
        const fs::path& folder = search_folders[i];
        for (fs::path p = folder; p != destination && !fs::exists(fs::symlink_status(p, ec)); p = p.parent_path())
            made.push_back(p);
        // Made and locked as the search writes there, never through a link.
        salvex::OutputTree tree;
        salvex::Refusal why;
        if (!tree.open(destination.string(), {controller.Rec_Folder_Name, folder.filename().string()}, why)) {
            let_go();
            return fail(why.path + ": " + why.cause, 1);
        }
        locks.emplace_back(tree.folder(2));
        if (locks.back().in_use()) {
            let_go();
            return fail(folder.string() + ": " + std::string(text::kResultFolderInUse), 2);
        }
    }
    // The mode's own folder last, so that a refusal above leaves nothing of it behind.
    if (!controller.claim_result_folder()) {
        let_go();
        return fs::is_directory(search_folder, ec) ? 2 : 1;
    }

    // Saving stopped: name the file or folder and why, in place of the window's guess.
    view.explain_alerts_with([&controller](const AlertRequest& alert) {
        if (alert.message != "\n" + std::string(text::unable_saving_Msg)) return std::string();
        const ScanTally& t = controller.scan_tally;  // written before the message was asked for
        std::string said = (t.failed_path.empty() ? t.result_folder : t.failed_path) + ": " +
                           (t.failure.empty() ? std::string(text::kCannotSaveThere) : t.failure);
        if (t.cut_short) said += text::kCutShortNotCounted;
        return said;
    });
    install_interrupt_handlers();
    controller.stop_now = 0;
    controller.Preview_Image_Count = 0;
    controller.clearing_pause = {};  // no preview here to let the user read about
    controller.Check_Have_Permissions();
    controller.start_scan(choices);

    const bool interactive = ::isatty(STDIN_FILENO) != 0;
    int handled = 0;
    while (controller.scan_thread_running() || view.queue().run_pending() > 0) {
        view.queue().run_for(std::chrono::milliseconds(100));
        if (g_interrupts.load() > handled) {
            handled = g_interrupts.load();
            if (interactive && !g_terminate) {
                view.finish_progress_line();
                controller.stop_usb_disk();  // a Ctrl-C while it asks means yes
                handled = g_interrupts.load();
            } else {
                controller.stop_now = 1;
            }
        }
    }
    controller.end_scan();
    view.finish_progress_line();
    let_go();

    if (controller.scan_outcome == ScanOutcome::Stopped)
        std::fputs(text::stopped_at(controller.for_index.load(), controller.end_sector.load()).c_str(), stdout);
    const ScanTally& tally = controller.scan_tally;
    // A search that never came to save (its source did not open) has nothing to sum up.
    if (!tally.result_folder.empty()) {
        const fs::path cut_short = tally.cut_short ? fs::path(tally.failed_path).lexically_normal() : fs::path();
        // Each mode whose search came to save, in the order they ran.
        std::vector<std::size_t> searched;
        for (std::size_t i = 0; i < search_folders.size(); ++i)
            if (i == 0 || (fs::is_directory(search_folders[i], ec) && tree_state(search_folders[i]) != before[i]))
                searched.push_back(i);
        for (const std::size_t i : searched) {
            if (i != searched.front()) std::printf("\n");  // one paragraph per mode
            print_summary(search_folders[i], before[i], cut_short);
        }
        if (tally.unreadable_sectors > 0) {
            std::string files;
            for (const auto& f : tally.files_with_zeros) files += "\n  " + f;
            std::fputs(text::unreadable_line(tally.unreadable_sectors, tally.first_unreadable, files).c_str(), stdout);
        }
        for (const std::size_t i : searched)
            if (fs::exists(search_folders[i] / "report.xml", ec))
                std::fputs(text::scan_report_line((search_folders[i] / "report.xml").string()).c_str(), stdout);
    }
    switch (controller.scan_outcome.load()) {
        case ScanOutcome::Completed: return 0;
        case ScanOutcome::Stopped: return 130;
        default: return 1;
    }
}

}  // namespace salvex::cli
