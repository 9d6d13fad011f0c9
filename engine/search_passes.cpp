// The passes of a search: the general one over the range, then the thorough one.
// Both read the card once: the thorough pass takes each sector after the
// general one, and holds back what it finds until the general pass is done.
#include <algorithm>
#include <exception>

#include "app/globals.h"
#include "app/message_box.h"
#include "app/my_table_controller.h"
#include "engine/carve_pass.h"
#include "engine/output_naming.h"
#include "engine/sector_reader.h"

bool MyTableController::Run_Passes(bool photo) {
    bool thorough_beside = false;
    const bool general_read = Run_Pass(photo, true, Passes_In_Turn ? nullptr : &thorough_beside);
    if (general_read && !thorough_beside && Read_Scan_Parameters().thorough && stop_screen_already_show == 0)
        Run_Pass(photo, false);
    return general_read;
}

std::unique_ptr<salvex::CarvePass> MyTableController::Make_Pass(bool photo, bool general, PassStart start) {
    if (photo) return std::make_unique<salvex::PhotoPass>(*this, general, std::move(start), general ? Ext_Array : Adv_Ext_Array);
    return std::make_unique<salvex::GroupPass>(*this, general, std::move(start),
                                               general ? CheckListHeader_Array : CheckListHeader_Adv_Array);
}

std::unique_ptr<salvex::CarvePass> MyTableController::Make_Held_Pass(bool photo, const PassStart& general) {
    using namespace salvex;
    PassStart start = general;
    start.pass_folder_name = std::string(kThoroughPassFolder);
    start.pass_folder = general.pass_folder.parent_path() / start.pass_folder_name;
    start.tree.reset();
    std::unique_ptr<CarvePass> pass;
    try {
        pass = Make_Pass(photo, false, std::move(start));
    } catch (const std::exception&) {
        return nullptr;  // its damaged list is told when it runs after the general pass
    }
    if (!pass->reads_whole_range()) return nullptr;
    auto holding = std::make_shared<OutputTree>();
    Refusal why;
    const std::vector<std::string> below{Rec_Folder_Name, general.mode_name, std::string(kHoldingFolder)};
    if (!holding->open(general.destination, below, why)) return nullptr;
    // What a search that did not end left there.
    holding->remove_deepest();
    holding = std::make_shared<OutputTree>();
    if (!holding->open(general.destination, below, why)) return nullptr;
    pass->hold_back(std::move(holding));
    return pass;
}

bool MyTableController::Run_Pass(bool photo, bool general, bool* beside) {
    const auto run = [&] {
        const std::optional<PassStart> start = Start_Pass(general);
        if (!start) return false;
        const std::unique_ptr<salvex::CarvePass> pass = Make_Pass(photo, general, *start);
        std::unique_ptr<salvex::CarvePass> held;
        if (beside != nullptr && start->thorough && pass->reads_whole_range()) held = Make_Held_Pass(photo, *start);
        if (held == nullptr) return Read_Pass(*pass);
        *beside = true;
        const bool read = Read_Pass(*pass, held.get());
        if (read && stop_screen_already_show == 0) Release_Held_Pass(*held);
        else held->discard();
        return read;
    };
    if (!photo) return run();
    try {
        return run();
    } catch (const std::exception& e) {
        // Open streams stay as they are: the next pass or the final screen closes them.
        Show_MessageBox(e.what());
        return true;
    }
}

bool MyTableController::Read_Pass(salvex::CarvePass& pass, salvex::CarvePass* beside) {
    using namespace salvex;
    const PassStart& start = pass.start();
    SectorReader reader(start.device, [this, &start] { return Open_Single_Sector_Source(start.source_path); },
                        read_buffer_.get(), std::min(read_sectors * kSectorSize, kDeviceBufferSize));
    // The thorough pass beside would not have run when the general one ends short.
    const auto short_end = [beside] {
        if (beside != nullptr) beside->discard();
        return false;
    };
    bool beside_going = beside != nullptr, source_ended = false;
    for (;;) {
        const std::uint64_t index = for_index.load(std::memory_order_relaxed);
        if (index >= start.end || !pass.reads()) break;

        if (stop_now.load(std::memory_order_relaxed) == 1) {
            stop_now = 0;
            std::fclose(pFile_Disk);
            pFile_Disk = nullptr;
            Stop_Label_Timer();
            short_end();
            if (!pass.stop()) return false;
            scan_outcome = ScanOutcome::Stopped;
            Request_Final_Screen();
            return false;
        }

        const std::uint8_t* sector = nullptr;
        const SectorReader::Got got = reader.next(index, start.end, sector);
        if (got == SectorReader::Got::end) {
            source_ended = true;
            break;
        }
        for_index.store(index + 1, std::memory_order_relaxed);
        const bool unreadable = got == SectorReader::Got::unreadable;
        if (!pass.feed(index, sector, unreadable)) return short_end();
        // A failure beside is held back with the rest; the general pass reads on.
        if (beside_going) beside_going = beside->feed(index, sector, unreadable);
    }
    // End of range, or of the source.
    if (!pass.finish()) return short_end();
    if (beside_going) beside->finish();
    return End_Pass(!pass.read_to_end(source_ended), reader) || short_end();
}

void MyTableController::Release_Held_Pass(salvex::CarvePass& pass) {
    const std::optional<PassStart> start = Start_Pass(false, false);
    if (!start) {
        pass.discard();
        return;
    }
    // A stop asked for before it started stops it at its first sector.
    if (stop_now.load(std::memory_order_relaxed) == 1) {
        stop_now = 0;
        Stop_Label_Timer();
        pass.discard();
        scan_outcome = ScanOutcome::Stopped;
        Request_Final_Screen();
        return;
    }
    // The reading is done: the pass completes at once. A stop asked for from here on comes too late.
    if (pass.release(start->tree)) scan_outcome = ScanOutcome::Completed;
}
