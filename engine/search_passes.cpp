// The passes of a search: the general one over the range, then the thorough one.
// Both read the card once: the thorough pass takes each sector after the
// general one, and holds back what it finds until the general pass is done.
// Searches of other modes can read beside them the same way, each released in
// turn as if it had run on its own afterwards.
#include <algorithm>
#include <exception>
#include <filesystem>

#include "app/globals.h"
#include "app/message_box.h"
#include "app/my_table_controller.h"
#include "engine/carve_pass.h"
#include "engine/output_naming.h"
#include "engine/sector_reader.h"

using salvex::SignatureList;
using salvex::kPhotoMode;
using salvex::ScanOutcome;
using salvex::PassStart;

namespace {

// Thrown by a group pass whose sector loop failed, once it has ended as at the end
// of its range: whether it counts as read to its end.
struct LoopCut {
    bool read_to_end;
};

// The thorough pass of the search whose general pass starts so.
PassStart thorough_start(const PassStart& general) {
    PassStart start = general;
    start.pass_folder_name = std::string(salvex::kThoroughPassFolder);
    start.pass_folder = general.pass_folder.parent_path() / start.pass_folder_name;
    start.tree.reset();
    return start;
}

}  // namespace

struct MyTableController::HeldSearch {
    const ModeBeside* mode = nullptr;  // null: the search whose general pass reads
    std::unique_ptr<salvex::CarvePass> general, thorough;
    std::filesystem::path made;  // its mode folder, made for the holding folders
};

bool MyTableController::run_passes(bool photo) {
    std::vector<const ModeBeside*> later;
    for (const ModeBeside& m : modes_beside) later.push_back(&m);
    const bool general_read = run_search(photo, later);
    // Modes that could not read beside it read on their own, one after another.
    for (const ModeBeside* m : later) {
        if (!general_read || stop_screen_already_show != 0) break;
        switch_to_mode(*m);
        std::vector<const ModeBeside*> none;
        run_search(m->mode == kPhotoMode, none);
    }
    return general_read;
}

bool MyTableController::run_search(bool photo, std::vector<const ModeBeside*>& later) {
    std::vector<HeldSearch> held;
    const auto read = [&] {
        const std::optional<PassStart> start = start_pass(true);
        if (!start) return false;
        const std::unique_ptr<salvex::CarvePass> general = make_pass(photo, true, *start);
        if (!passes_in_turn && general->reads_whole_range()) held = hold_beside(photo, *start, later);
        std::vector<salvex::CarvePass*> beside;
        for (const HeldSearch& h : held)
            for (salvex::CarvePass* pass : {h.general.get(), h.thorough.get()})
                if (pass != nullptr) beside.push_back(pass);
        return read_pass(*general, beside);
    };
    // A search that never came to run leaves nothing, not even its mode folder.
    const auto discard = [](HeldSearch& h) {
        for (auto* pass : {h.general.get(), h.thorough.get()})
            if (pass != nullptr) pass->discard();
        std::error_code ec;
        if (!h.made.empty()) std::filesystem::remove(h.made, ec);  // only while empty
    };
    // What read beside it did not read to the end: those modes read on their own.
    const auto read_alone_later = [&] {
        for (HeldSearch& h : held) {
            if (h.mode != nullptr) later.push_back(h.mode);
            discard(h);
        }
        held.clear();
    };
    bool general_read = false;
    try {
        general_read = read();
    } catch (const LoopCut& cut) {
        general_read = cut.read_to_end;
        read_alone_later();
    } catch (const std::exception& e) {
        if (!photo) throw;
        // Open streams stay as they are: the next pass or the end of the scan thread closes them.
        Show_MessageBox(e.what());
        general_read = true;
        read_alone_later();
    }
    if (!general_read || stop_screen_already_show != 0) {
        for (HeldSearch& h : held) discard(h);
        return general_read;
    }
    // Its thorough pass, held back beside it or reading on its own now.
    if (!held.empty() && held.front().thorough != nullptr) release_held_pass(*held.front().thorough);
    else if (scan_params_.thorough && stop_screen_already_show == 0) run_pass(photo, false);
    for (std::size_t i = 1; i < held.size(); ++i) {
        HeldSearch& h = held[i];
        if (stop_screen_already_show != 0 || stopped_between_passes()) {
            discard(h);
            continue;
        }
        switch_to_mode(*h.mode);
        if (!release_held_general(*h.general)) {
            discard(h);
            continue;
        }
        if (h.thorough != nullptr) release_held_pass(*h.thorough);
        else if (scan_params_.thorough && stop_screen_already_show == 0) run_pass(h.mode->mode == kPhotoMode, false);
    }
    return general_read;
}

std::vector<MyTableController::HeldSearch> MyTableController::hold_beside(bool photo, const PassStart& start,
                                                                          std::vector<const ModeBeside*>& later) {
    using namespace salvex;
    std::vector<HeldSearch> held(1);
    if (start.thorough)
        held.front().thorough = make_held_pass(photo, thorough_start(start), scan_params_.thorough_list);
    std::vector<const ModeBeside*> alone;
    for (const ModeBeside* m : later) {
        PassStart general = start;
        general.mode_name = std::string(mode_folder(m->mode));
        general.pass_folder = std::filesystem::path(start.destination) / Rec_Folder_Name / general.mode_name /
                              std::string(kGeneralPassFolder);
        general.general_starts = std::make_shared<std::vector<std::uint64_t>>();
        general.tree.reset();
        std::error_code ec;
        const std::filesystem::path mode_folder = general.pass_folder.parent_path();
        HeldSearch h{m, nullptr, nullptr, std::filesystem::exists(mode_folder, ec) ? std::filesystem::path() : mode_folder};
        h.general = make_held_pass(m->mode == kPhotoMode, general, m->general);
        if (h.general == nullptr) {
            if (!h.made.empty()) std::filesystem::remove(h.made, ec);  // it makes it itself when it runs
            alone.push_back(m);
            continue;
        }
        if (start.thorough) h.thorough = make_held_pass(m->mode == kPhotoMode, thorough_start(general), m->thorough);
        held.push_back(std::move(h));
    }
    later = alone;
    return held;
}

std::unique_ptr<salvex::CarvePass> MyTableController::make_pass(bool photo, bool general, PassStart start,
                                                                const SignatureList& list) {
    if (photo) return std::make_unique<salvex::PhotoPass>(*this, general, std::move(start), list);
    return std::make_unique<salvex::GroupPass>(*this, general, std::move(start), list);
}

std::unique_ptr<salvex::CarvePass> MyTableController::make_pass(bool photo, bool general, PassStart start) {
    return make_pass(photo, general, std::move(start), general ? scan_params_.general_list : scan_params_.thorough_list);
}

std::unique_ptr<salvex::CarvePass> MyTableController::make_held_pass(bool photo, const PassStart& start,
                                                                     const SignatureList& list) {
    using namespace salvex;
    const bool general = start.pass_folder_name == kGeneralPassFolder;
    std::unique_ptr<CarvePass> pass;
    try {
        pass = make_pass(photo, general, start, list);
    } catch (const std::exception&) {
        return nullptr;  // its damaged list is told when it runs on its own
    }
    if (!pass->reads_whole_range()) return nullptr;
    const std::vector<std::string> below{Rec_Folder_Name, start.mode_name, holding_folder(start.pass_folder_name)};
    auto holding = std::make_shared<OutputTree>();
    Refusal why;
    if (!holding->open(start.destination, below, why)) return nullptr;
    // What a search that did not end left there.
    holding->remove_deepest();
    holding = std::make_shared<OutputTree>();
    if (!holding->open(start.destination, below, why)) return nullptr;
    pass->hold_back(std::move(holding));
    return pass;
}

bool MyTableController::run_pass(bool photo, bool general) {
    const auto run = [&] {
        const std::optional<PassStart> start = start_pass(general);
        return start && read_pass(*make_pass(photo, general, *start), {});
    };
    try {
        return run();
    } catch (const LoopCut& cut) {
        return cut.read_to_end;
    } catch (const std::exception& e) {
        if (!photo) throw;
        // Open streams stay as they are: the next pass or the end of the scan thread closes them.
        Show_MessageBox(e.what());
        return true;
    }
}

bool MyTableController::read_pass(salvex::CarvePass& pass, const std::vector<salvex::CarvePass*>& beside) {
    using namespace salvex;
    const PassStart& start = pass.start();
    SectorReader reader(start.device, [this, &start] { return open_single_sector_source(start.source_path); },
                        read_buffer_.get(), std::min(read_sectors * kSectorSize, kDeviceBufferSize));
    // The passes beside would not have run when this one ends short.
    const auto short_end = [&beside] {
        for (CarvePass* b : beside) b->discard();
        return false;
    };
    std::vector<char> going(beside.size(), 1);
    bool source_ended = false;
    bool last_read_returned = true;
    try {
        for (;;) {
            const std::uint64_t index = for_index.load(std::memory_order_relaxed);
            if (index >= start.end || !pass.reads()) break;

            if (stop_now.load(std::memory_order_relaxed) == 1) {
                stop_now = 0;
                close_source();
                stop_label_timer();
                short_end();
                if (!pass.stop()) return false;
                scan_outcome = ScanOutcome::Stopped;
                request_final_screen();
                return false;
            }

            const std::uint8_t* sector = nullptr;
            last_read_returned = false;
            const SectorReader::Got got = reader.next(index, start.end, sector);
            last_read_returned = got != SectorReader::Got::end;
            if (got == SectorReader::Got::end) {
                source_ended = true;
                break;
            }
            for_index.store(index + 1, std::memory_order_relaxed);
            const bool unreadable = got == SectorReader::Got::unreadable;
            if (!pass.feed(index, sector, unreadable)) return short_end();
            // A failure beside is held back with the rest; the others read on.
            for (std::size_t b = 0; b < beside.size(); ++b)
                if (going[b] != 0) going[b] = beside[b]->feed(index, sector, unreadable) ? 1 : 0;
        }
    } catch (const std::exception&) {
        if (!pass.fails_quietly()) throw;
        // The files it had open stay as they are; the next pass or the end of the scan closes them.
        short_end();
        throw LoopCut{end_pass(!last_read_returned, reader)};
    }
    // End of range, or of the source.
    if (!pass.finish()) return short_end();
    for (std::size_t b = 0; b < beside.size(); ++b)
        if (going[b] != 0) beside[b]->finish();
    unreadable_read_ = {reader.unreadable(), reader.first_unreadable()};
    return end_pass(!pass.read_to_end(source_ended), reader) || short_end();
}

bool MyTableController::stopped_between_passes() {
    if (stop_now.load(std::memory_order_relaxed) != 1) return false;
    stop_now = 0;
    stop_label_timer();
    scan_outcome = ScanOutcome::Stopped;
    request_final_screen();
    return true;
}

void MyTableController::switch_to_mode(const ModeBeside& mode) {
    const bool photo = mode.mode == kPhotoMode;
    scan_params_.mode = mode.mode;
    scan_params_.general_list = photo ? Ext_Array : mode.general;
    scan_params_.thorough_list = photo ? Adv_Ext_Array : mode.thorough;
    // The interface's side, as salvex-scan sets a mode up before its search.
    view_.post_and_wait([this, &mode] {
        Recovery_MODE = mode.mode;
        CheckListHeader_Array = mode.general;
        CheckListHeader_Adv_Array = mode.thorough;
        nsSIGFileInfoDataObject = mode.rows;
        Preview_Image_Count = 0;
    });
}

bool MyTableController::release_held_general(salvex::CarvePass& pass) {
    const std::optional<PassStart> start = start_pass(true, false);
    if (!start) return false;
    search_starts_ = pass.start().general_starts;  // where its thorough pass looks
    if (!pass.release(start->tree)) return false;
    // The reading it shared ended at the end of the range: its report names the unreadable sectors too.
    if (report_ != nullptr && unreadable_read_.first > 0) report_->note_unreadable(unreadable_read_.first, unreadable_read_.second);
    scan_outcome = ScanOutcome::Completed;
    return true;
}

void MyTableController::release_held_pass(salvex::CarvePass& pass) {
    const std::optional<PassStart> start = start_pass(false, false);
    if (!start) {
        pass.discard();
        return;
    }
    // A stop asked for before it started stops it at its first sector.
    if (stopped_between_passes()) {
        pass.discard();
        return;
    }
    // The reading is done: the pass completes at once. A stop asked for from here on comes too late.
    if (pass.release(start->tree)) scan_outcome = ScanOutcome::Completed;
}
