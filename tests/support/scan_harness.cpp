#include "support/scan_harness.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <sstream>
#include <utility>

#include <gtest/gtest.h>

#include "app/globals.h"
#include "support/sector_image.h"

namespace salvex::test {

SignatureList record(const std::string& extension, std::uint64_t max_size, const std::string& header,
                     const std::string& offset) {
    const std::string first_byte = header.size() >= 2 ? std::to_string(std::stoi(header.substr(0, 2), nullptr, 16)) : "";
    return {extension, std::to_string(max_size), header, offset, "0", extension + " file", first_byte};
}

namespace {
BundleInfo test_bundle(const TempFolder& home) {
    ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    return BundleInfo{"", "Salvex Birch Recovery", "", ""};
}
}  // namespace

ScanHarness::ScanHarness(SignatureList general, SignatureList thorough) : controller(view, test_bundle(home)) {
    controller.Ext_Array = std::move(general);
    controller.Adv_Ext_Array = std::move(thorough);
    // The time a user gets to read that the preview is emptied: no test waits for it.
    controller.clearing_pause = {};
}

ScanHarness::~ScanHarness() {
    Recovery_MODE = kPhotoMode;
    // Before the source goes: a scan still running may read through it.
    controller.end_scan();
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(source.writes(), 0) << "a scan wrote to its source";
    EXPECT_EQ(source.writable_opens(), 0) << "a scan opened its source for writing";
}

void ScanHarness::choose(const std::string& source_path, std::uint64_t sectors, const std::string& dest,
                         bool thorough, std::optional<std::pair<std::uint64_t, std::uint64_t>> range, std::int32_t mode) {
    destination = dest;
    Recovery_MODE = mode;
    view.set_text(Outlet::disk_identifier, source_path);
    view.set_text(Outlet::path, dest);
    choices = {.device_identifier = source_path,
               .device_sectors = sectors,
               .entire_disk = !range,
               .sector_range = range.has_value(),
               .start_text = std::to_string(range ? range->first : 0),
               .end_text = std::to_string(range ? range->second : sectors),
               .destination = dest,
               .thorough = thorough};
}

void ScanHarness::start() {
    if (!std::exchange(wrapped_, true)) controller.source_opener = source.wrap(controller.source_opener);
    controller.stop_now = 0;
    controller.Preview_Image_Count = 0;
    controller.start_scan(choices);
}

bool finish_scan(MyTableController& controller, RecordingView& view, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (controller.scan_thread_running()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        view.queue().run_for(std::chrono::milliseconds(5));
    }
    controller.end_scan();
    return true;
}

bool ScanHarness::run_until_done(std::chrono::seconds limit) { return finish_scan(controller, view, limit); }

std::string ScanHarness::pass_folder(bool general, const std::string& mode_folder) const {
    return destination + "/" + controller.Rec_Folder_Name + "/" + mode_folder + "/" +
           (general ? "General Recovery Results" : "Omitted (recovered by Thorough Scan)");
}

std::size_t ScanHarness::count_alerts(const std::string& message) const {
    std::size_t n = 0;
    for (const auto& a : view.alerts()) n += a.request.message == message ? 1 : 0;
    return n;
}

std::vector<std::string> ScanHarness::alert_messages() const {
    std::vector<std::string> messages;
    for (const auto& a : view.alerts()) messages.push_back(a.request.message);
    return messages;
}

std::vector<std::string> ScanHarness::handed_over() const {
    std::vector<std::string> paths;
    for (const auto& item : controller.images) paths.push_back(item.path);
    return paths;
}

std::string ScanHarness::what_the_search_gave() const {
    namespace fs = std::filesystem;
    std::ostringstream out;
    std::vector<fs::path> entries;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(destination, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        entries.push_back(it->path());
    std::sort(entries.begin(), entries.end());
    for (const fs::path& entry : entries) {
        out << entry.lexically_relative(destination).string();
        if (fs::is_directory(entry)) {
            out << "/\n";
        } else if (entry.filename() == "report.xml") {
            std::istringstream lines(read_whole_file(entry.string()));
            out << ":\n";
            for (std::string line; std::getline(lines, line);)
                if (line.find("start_time") == std::string::npos) out << line << "\n";
        } else {
            const std::string bytes = read_whole_file(entry.string());
            out << " " << bytes.size() << " " << std::hash<std::string>{}(bytes) << "\n";
        }
    }
    for (const auto& item : controller.images) out << "handed " << item.path << " " << item.image_Name << " " << item.image_UID << "\n";
    // A tick shows the label of the moment; only a change of label is told.
    std::string label;
    for (const std::string& call : view.calls()) {
        const std::string what = call.substr(0, call.find(' ', call.find(' ') + 1) + 1);  // "set_text _Mode_label "
        if (what.ends_with("sector_label ") || what.ends_with("Progress_Horz ")) continue;
        if (what.ends_with("Mode_label ") && std::exchange(label, call) == call) continue;
        out << call << "\n";
    }
    const ScanTally& t = controller.scan_tally;
    out << "outcome " << static_cast<int>(controller.scan_outcome.load()) << " files " << t.general_files << " "
        << t.thorough_files << " unreadable " << t.unreadable_sectors << " " << t.first_unreadable << " failure "
        << t.failure << " " << t.failed_path << " " << t.cut_short << "\n";
    for (const std::string& f : t.files_with_zeros) out << "zeros " << f << "\n";
    std::string said = out.str();
    for (std::size_t at; (at = said.find(home.path())) != std::string::npos;) said.replace(at, home.path().size(), "<home>");
    return said;
}

std::string what_a_search_gave(const std::string& card, std::uint64_t sectors, const SignatureList& general,
                               const SignatureList& thorough, std::int32_t mode, bool exact, bool in_turn) {
    ScanHarness h(general, thorough);
    h.controller.CheckListHeader_Array = general;
    h.controller.CheckListHeader_Adv_Array = thorough;
    std::set<std::string> types;
    for (const SignatureList* list : {&general, &thorough})
        for (std::size_t r = 0; r + kSignatureStride <= list->size(); r += kSignatureStride) types.insert((*list)[r + kExtension]);
    for (const std::string& type : types) h.controller.createSignatureListTableRecord(type, 0, "", "", type);
    h.controller.passes_in_turn = in_turn;
    h.choose(card, sectors, h.home / "out", true, std::nullopt, mode);
    h.choices.exact_files = exact;
    h.start();
    EXPECT_TRUE(h.run_until_done(std::chrono::minutes(10))) << "a bound, not a timing check";
    return h.what_the_search_gave();
}

}  // namespace salvex::test
