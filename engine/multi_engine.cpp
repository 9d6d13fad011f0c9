// The video, raw-file and audio engine. It reads like the photo engine, but one
// header may start a group of files, one per format that shares the header, and
// the files of a group grow together until each reaches its own maximum size.
#include <exception>
#include <filesystem>
#include <optional>
#include <set>
#include <algorithm>
#include <cstring>

#include "app/folder_helpers.h"
#include "app/error_words.h"
#include "app/globals.h"
#include "app/message_box.h"
#include "app/my_table_controller.h"
#include "app/text_helpers.h"
#include "engine/messages.h"
#include "engine/pass_start.h"
#include "engine/finish/registry.h"
#include "engine/output_tree.h"
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

    SectorReader reader(pass->device, [this, &pass] { return Open_Single_Sector_Source(pass->source_path); },
                        read_buffer_.get(), std::min(read_sectors * kSectorSize, kDeviceBufferSize));
    const std::uint8_t* sector = nullptr;
    bool carving = false, header_flag = false;
    std::uint64_t group_bytes = 0, file_count = 0;
    std::set<std::string> used_paths;
    // Files of the open group that are closed already; with exact files on they
    // wait here until the whole group is, and is settled.
    std::vector<OpenFile> closed_files;

    // A list that is not a whole number of records fails at the first header
    // search, as it would when its missing entries are looked up.
    std::optional<HeaderSearch> search;
    try {
        search.emplace(decode_records(REC_PROC_Array));
    } catch (const std::exception&) {
    }

    const auto hand_over = [this](const OpenFile& f) {
        view_.post_and_wait([this, &f] { addImageWithPath_2(f.path, f.name, f.uid); });
    };
    const auto keep = [&](const OpenFile& f) {
        Record_Kept(*pass, general, f.type_folder, f.name, f.extension, f.start_sector);
        hand_over(f);
    };
    const auto write_sector = [&](int slot) {
        return slot_streams_[slot] == nullptr || salvex::write_sector(slot_streams_[slot], sector);
    };
    // Of a closed group, the candidate its structure confirms is kept; the others
    // leave no trace: no file, no list row, no name number, no folder count.
    const auto settle_group = [&]() -> std::optional<OpenFile> {
        if (closed_files.empty()) return std::nullopt;
        std::sort(closed_files.begin(), closed_files.end(),
                  [](const OpenFile& a, const OpenFile& b) { return a.slot < b.slot; });  // opening order
        std::vector<finish::Verdict> verdicts;
        std::vector<std::string> types;
        for (const auto& f : closed_files) {
            verdicts.push_back(f.verdict);
            types.push_back(finish::type_of(f.extension));
        }
        int kept = finish::settle(verdicts, types, !general);
        // The thorough pass brings only what the general pass could not.
        if (!general && Found_By_General(closed_files.front().start_sector)) kept = -1;
        for (std::size_t i = closed_files.size(); i-- > 0;) {
            if (static_cast<int>(i) == kept) continue;
            const OpenFile& f = closed_files[i];
            pass->tree->remove(f.type_folder, f.name);
            zeroed_.erase(f.path);
            used_paths.erase(f.path);
            uncount_one_file(Fol_Cnt_Array, f.counter_before);
        }
        std::optional<OpenFile> result;
        if (kept >= 0) {
            result = closed_files[static_cast<std::size_t>(kept)];
            keep(*result);
        }
        closed_files.clear();
        return result;
    };
    // Closes a file of the group; false when the disk refused its last bytes.
    const auto close_file = [&](OpenFile& f) {
        bool ok = true;
        if (slot_streams_[f.slot] != nullptr) {
            // A thorough group where a general find started is dropped whole: not read back.
            const bool found_before = !general && Found_By_General(f.start_sector);
            ok = Judge_Carved(slot_streams_[f.slot], f.extension, pass->exact && !found_before, f.verdict);
            ok = salvex::close_output(slot_streams_[f.slot]) && ok;
        }
        slot_streams_[f.slot] = nullptr;
        slot_taken_[f.slot] = false;
        f.closed = true;
        if (!ok) return false;
        if (pass->exact) closed_files.push_back(f);
        else keep(f);
        return true;
    };
    const auto group_emptied = [&] {
        group_bytes = 0;
        Close_Output_Slots();
        settle_group();
    };
    const auto fail_writing = [&](int slot, const Refusal& why = {}, bool cut_short = false) {
        std::FILE* none = nullptr;
        Write_Failure(slot >= 0 ? slot_streams_[slot] : none, why, cut_short);
        if (slot >= 0) slot_taken_[slot] = false;
        return false;
    };
    // A file the disk refused is named, and is not counted as recovered.
    const auto refused = [&](const OpenFile& f) {
        return fail_writing(-1, {f.path, plain_cause(errno != 0 ? errno : EIO)}, true);
    };

    bool source_ended = false;
    for (;;) {
        const std::uint64_t index = for_index.load(std::memory_order_relaxed);
        if (REC_PROC_Array.empty()) break;  // nothing to look for is not a read error
        if (index >= pass->end) break;

        if (stop_now.load(std::memory_order_relaxed) == 1) {
            stop_now = 0;
            std::fclose(pFile_Disk);
            pFile_Disk = nullptr;
            Stop_Label_Timer();
            if (pass->exact) {
                // A stop keeps what was written, finished like any other file.
                for (auto& f : MultiHeader_Array)
                    if (!close_file(f)) return refused(f);
                Close_Output_Slots();
                // What was kept stays on the open-file list until the next general pass.
                const std::optional<OpenFile> kept = settle_group();
                MultiHeader_Array.clear();
                if (kept) MultiHeader_Array.push_back(*kept);
            } else {
                Close_Output_Slots();
                for (const auto& f : MultiHeader_Array) keep(f);  // they stay listed until the next general pass
            }
            scan_outcome = ScanOutcome::Stopped;
            Request_Final_Screen();
            return false;
        }

        const SectorReader::Got got = reader.next(index, pass->end, sector);
        if (got == SectorReader::Got::end) {
            source_ended = true;
            break;
        }
        for_index.store(index + 1, std::memory_order_relaxed);
        if (got == SectorReader::Got::unreadable && carving && !MultiHeader_Array.empty()) {
            std::vector<std::string> open_paths;
            for (const auto& f : MultiHeader_Array) open_paths.push_back(f.path);
            Note_Unreadable(index, open_paths);
        }

        if (!is_blank(sector)) {
            if (!search) break;  // the damaged list fails here: see the end of the range below
            const int matched = search->first_match(sector);
            if (matched >= 0) {
                // Multi-open.
                if (carving) {
                    for (auto& f : MultiHeader_Array) {
                        const bool written = write_sector(f.slot);
                        if (!close_file(f) || !written) return refused(f);
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
                    const FolderCounter before = counter_of(Fol_Cnt_Array, extension);
                    const std::string type_folder = count_one_file(Fol_Cnt_Array, extension);
                    int slot = 0;
                    while (slot < kOutputSlots && slot_taken_[slot]) ++slot;
                    if (slot == kOutputSlots) continue;  // more than 30 formats: the rest get no file

                    ++file_count;
                    // Names count listed files; one not listed, or two of a type in one
                    // group, would repeat a name, so the number moves on past any in use.
                    std::uint64_t number = File_Name_Number(file_count, extension);
                    std::string name = file_name_for(number, extension, extension);
                    const fs::path folder = pass->pass_folder / type_folder;
                    while (used_paths.contains((folder / name).string())) name = file_name_for(++number, extension, extension);
                    const std::string path = (folder / name).string();
                    used_paths.insert(path);
                    OpenFile file;
                    file.extension = extension;
                    file.max_size = REC_PROC_Array[r + kMax_File_Size];
                    file.header = REC_PROC_Array[r + kHeader];
                    file.slot = slot;
                    file.path = path;
                    file.name = file.uid = name;
                    file.type_folder = type_folder;
                    file.start_sector = index;
                    file.counter_before = before;
                    MultiHeader_Array.push_back(file);
                    slot_taken_[slot] = true;
                    Refusal why;
                    slot_streams_[slot] = pass->tree->create(type_folder, name, why);
                    if (slot_streams_[slot] == nullptr) return fail_writing(slot, why);
                    if (!slot_buffers_[slot]) slot_buffers_[slot].reset(new char[kSlotBufferSize]);
                    std::setvbuf(slot_streams_[slot], slot_buffers_[slot].get(), _IOFBF, kSlotBufferSize);
                    if (!write_sector(slot)) return refused(MultiHeader_Array.back());
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
                    if (!header_flag && !write_sector(it->slot)) return refused(*it);
                    ++it;
                    continue;
                }
                const bool written = header_flag || write_sector(it->slot);
                if (!close_file(*it) || !written) return refused(*it);
                it = MultiHeader_Array.erase(it);
            }
            header_flag = false;
            if (MultiHeader_Array.empty()) group_emptied();
        }
    }

    // End of range or of the source, or a damaged list: a damaged list leaves its files as they are.
    if (search || REC_PROC_Array.empty()) {
        for (auto& f : MultiHeader_Array)
            if (!close_file(f)) return refused(f);
        MultiHeader_Array.clear();
        group_emptied();
    }
    return End_Pass(source_ended, reader);
}
