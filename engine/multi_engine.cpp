// The video, raw-file and audio engine. It reads like the photo engine, but one
// header may start a group of files, one per format that shares the header, and
// the files of a group grow together until each reaches its own maximum size.
#include <exception>
#include <filesystem>
#include <optional>
#include <set>

#include "app/folder_helpers.h"
#include "app/globals.h"
#include "app/message_box.h"
#include "app/my_table_controller.h"
#include "app/text_helpers.h"
#include "engine/messages.h"
#include "engine/pass_start.h"
#include "platform/invoking_user.h"

using salvex::Outlet;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kSlotBufferSize = 256u << 10;

// A record joins the group of the matched header when either header text holds
// the other; a longer one must also sit at the same offset.
bool related(const std::string& matched_header, const std::string& matched_offset, const std::string& header,
             const std::string& offset) {
    return Find_Str(matched_header, header) || (Find_Str(header, matched_header) && offset == matched_offset);
}

}  // namespace

void MyTableController::Close_Output_Slots() {
    for (int s = 0; s < kOutputSlots; ++s) {
        if (slot_streams_[s] != nullptr) std::fclose(slot_streams_[s]);
        slot_streams_[s] = nullptr;
        slot_taken_[s] = false;
    }
}

bool MyTableController::Raw_File_Recovey_Mode(const std::string& tag) { return Raw_File_Pass(tag == "GEN"); }

void MyTableController::Raw_File_Rec_Thread() {
    stop_screen_already_show = 0;
    if (Raw_File_Recovey_Mode("GEN")) {
        if (Read_Scan_Parameters().thorough && stop_screen_already_show == 0) Raw_File_Recovey_Mode("THD");
        // A preview being prepared shows the final screen itself once its sheet is gone.
        if (session) {
            stop_now = 1;
            // The sheet may have gone between the two looks, before the preview saw stop_now.
            if (session) return;
        }
    }
    Request_Final_Screen();
}

bool MyTableController::Raw_File_Pass(bool general) {
    using namespace salvex;
    const std::optional<PassStart> pass = Start_Pass(general);
    if (!pass) return false;
    Close_Output_Slots();  // every slot is free when a pass starts

    SectorReader reader;
    const auto& sector = reader.sector;
    bool carving = false, header_flag = false;
    std::uint64_t group_bytes = 0, file_count = 0;
    std::set<std::string> used_paths;

    // A list that is not a whole number of records fails at the first header
    // search, as it would when its missing entries are looked up.
    std::optional<HeaderSearch> search;
    try {
        search.emplace(decode_records(REC_PROC_Array));
    } catch (const std::exception&) {
    }

    const auto hand_over = [this, general](const OpenFile& f) {
        ++(general ? scan_tally.general_files : scan_tally.thorough_files);
        view_.post_and_wait([this, &f] { addImageWithPath_2(f.path, f.name, f.uid); });
    };
    const auto write_sector = [&](int slot) {
        return slot_streams_[slot] == nullptr || salvex::write_sector(slot_streams_[slot], sector.data());
    };
    // Closes a file of the group and hands it over; false when the disk refused its last bytes.
    const auto close_file = [&](const OpenFile& f) {
        bool ok = true;
        if (slot_streams_[f.slot] != nullptr) ok = salvex::close_output(slot_streams_[f.slot]);
        slot_streams_[f.slot] = nullptr;
        slot_taken_[f.slot] = false;
        return ok;
    };
    const auto group_emptied = [&] {
        group_bytes = 0;
        Close_Output_Slots();
    };
    const auto fail_writing = [&](int slot) {
        std::FILE* none = nullptr;
        Write_Failure(slot >= 0 ? slot_streams_[slot] : none);
        if (slot >= 0) slot_taken_[slot] = false;
        return false;
    };

    for (;;) {
        const std::uint64_t index = for_index.load(std::memory_order_relaxed);
        if (REC_PROC_Array.empty()) {
            reader.last_read = 1;  // nothing to look for is not a read error
            break;
        }
        if (index >= pass->end) break;

        if (stop_now.load(std::memory_order_relaxed) == 1) {
            stop_now = 0;
            std::fclose(pFile_Disk);
            pFile_Disk = nullptr;
            Stop_Label_Timer();
            Close_Output_Slots();
            for (const auto& f : MultiHeader_Array) hand_over(f);  // they stay listed until the next general pass
            scan_outcome = ScanOutcome::Stopped;
            Request_Final_Screen();
            return false;
        }

        const bool blank = reader.read(pass->device, index);
        for_index.store(index + 1, std::memory_order_relaxed);

        if (!blank) {
            if (!search) break;  // the damaged list fails here: see the end of the range below
            const int matched = search->first_match(sector.data());
            if (matched >= 0) {
                // Multi-open.
                if (carving) {
                    for (const auto& f : MultiHeader_Array) {
                        const bool written = write_sector(f.slot);
                        if (!close_file(f) || !written) return fail_writing(-1);
                        hand_over(f);
                    }
                    MultiHeader_Array.clear();
                    group_emptied();
                }
                header_flag = true;
                group_bytes += kSectorSize;
                const std::size_t m = search->records()[static_cast<std::size_t>(matched)].index;
                const std::string matched_header = REC_PROC_Array.at(m + kHeader);
                const std::string matched_offset = REC_PROC_Array.at(m + kHeader_Offset);
                for (std::size_t r = m; r + kSignatureStride <= REC_PROC_Array.size(); r += kSignatureStride) {
                    if (!related(matched_header, matched_offset, REC_PROC_Array[r + kHeader], REC_PROC_Array[r + kHeader_Offset]))
                        continue;
                    const std::string& extension = REC_PROC_Array[r + kExtension];
                    const fs::path type_folder = pass->pass_folder / count_one_file(Fol_Cnt_Array, extension);
                    if (!Create_User_Folder(type_folder.string())) return fail_writing(-1);
                    int slot = 0;
                    while (slot < kOutputSlots && slot_taken_[slot]) ++slot;
                    if (slot == kOutputSlots) continue;  // more than 30 formats: the rest get no file

                    ++file_count;
                    // Names count listed files; one not listed, or two of a type in one
                    // group, would repeat a name, so the number moves on past any in use.
                    std::uint64_t number = File_Name_Number(file_count, extension);
                    std::string name = file_name_for(number, extension, extension);
                    while (used_paths.contains((type_folder / name).string())) name = file_name_for(++number, extension, extension);
                    const std::string path = (type_folder / name).string();
                    used_paths.insert(path);
                    MultiHeader_Array.push_back({extension, REC_PROC_Array[r + kMax_File_Size], REC_PROC_Array[r + kHeader],
                                                 slot, path, name, name});
                    slot_taken_[slot] = true;
                    errno = 0;
                    slot_streams_[slot] = std::fopen(path.c_str(), "wb+");
                    if (slot_streams_[slot] == nullptr && errno != 0) return fail_writing(slot);
                    if (slot_streams_[slot] != nullptr) {
                        salvex::platform::hand_to_invoking_user(fileno(slot_streams_[slot]));
                        if (!slot_buffers_[slot]) slot_buffers_[slot].reset(new char[kSlotBufferSize]);
                        std::setvbuf(slot_streams_[slot], slot_buffers_[slot].get(), _IOFBF, kSlotBufferSize);
                        if (!write_sector(slot)) return fail_writing(slot);
                    }
                }

                Clear_Full_Preview(text::kFilesCleared, Outlet::imageBrowser_2);
                carving = true;
            }
        }

        if (carving) {
            // Group step.
            if (!header_flag) group_bytes += kSectorSize;
            for (auto it = MultiHeader_Array.begin(); it != MultiHeader_Array.end();) {
                const auto max = static_cast<std::uint64_t>(std::strtoll(it->max_size.c_str(), nullptr, 10));
                if (group_bytes < max) {
                    if (!header_flag && !write_sector(it->slot)) return fail_writing(it->slot);
                    ++it;
                    continue;
                }
                const bool written = header_flag || write_sector(it->slot);
                if (!close_file(*it) || !written) return fail_writing(-1);
                hand_over(*it);
                it = MultiHeader_Array.erase(it);
            }
            header_flag = false;
            if (MultiHeader_Array.empty()) group_emptied();
        }
    }

    // End of range, or a damaged list: a damaged list leaves its files as they are.
    if (search || REC_PROC_Array.empty()) {
        for (const auto& f : MultiHeader_Array) {
            if (!close_file(f)) return fail_writing(-1);
            hand_over(f);
        }
        MultiHeader_Array.clear();
        group_emptied();
    }
    return End_Pass(reader.last_read);
}
