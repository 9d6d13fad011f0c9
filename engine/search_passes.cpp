// The passes of a search: the general one over the range, then the thorough one.
#include <algorithm>
#include <exception>

#include "app/globals.h"
#include "app/message_box.h"
#include "app/my_table_controller.h"
#include "engine/carve_pass.h"
#include "engine/sector_reader.h"

bool MyTableController::Run_Passes(bool photo) {
    const bool general_read = Run_Pass(photo, true);
    if (general_read && Read_Scan_Parameters().thorough && stop_screen_already_show == 0) Run_Pass(photo, false);
    return general_read;
}

std::unique_ptr<salvex::CarvePass> MyTableController::Make_Pass(bool photo, bool general, PassStart start) {
    if (photo) return std::make_unique<salvex::PhotoPass>(*this, general, std::move(start), general ? Ext_Array : Adv_Ext_Array);
    return std::make_unique<salvex::GroupPass>(*this, general, std::move(start),
                                               general ? CheckListHeader_Array : CheckListHeader_Adv_Array);
}

bool MyTableController::Run_Pass(bool photo, bool general) {
    if (!photo) {
        const std::optional<PassStart> start = Start_Pass(general);
        return start && Read_Pass(*Make_Pass(false, general, *start));
    }
    try {
        const std::optional<PassStart> start = Start_Pass(general);
        return start && Read_Pass(*Make_Pass(true, general, *start));
    } catch (const std::exception& e) {
        // Open streams stay as they are: the next pass or the final screen closes them.
        Show_MessageBox(e.what());
        return true;
    }
}

bool MyTableController::Read_Pass(salvex::CarvePass& pass) {
    using namespace salvex;
    const PassStart& start = pass.start();
    SectorReader reader(start.device, [this, &start] { return Open_Single_Sector_Source(start.source_path); },
                        read_buffer_.get(), std::min(read_sectors * kSectorSize, kDeviceBufferSize));
    bool source_ended = false;
    for (;;) {
        const std::uint64_t index = for_index.load(std::memory_order_relaxed);
        if (index >= start.end || !pass.reads()) break;

        if (stop_now.load(std::memory_order_relaxed) == 1) {
            stop_now = 0;
            std::fclose(pFile_Disk);
            pFile_Disk = nullptr;
            Stop_Label_Timer();
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
        if (!pass.feed(index, sector, got == SectorReader::Got::unreadable)) return false;
    }
    // End of range, or of the source.
    if (!pass.finish()) return false;
    return End_Pass(!pass.read_to_end(source_ended), reader);
}
