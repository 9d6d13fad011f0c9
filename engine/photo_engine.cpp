// The photo carving engine: one pass over the chosen sectors, each header match
// starting a new file that runs until its type's maximum size, the next header,
// the end of the range or a stop. Each file is then finished: cut at its own end
// and kept or dropped by what its structure says.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "app/error_words.h"
#include "app/globals.h"
#include "app/message_box.h"
#include "app/my_table_controller.h"
#include "engine/finish/registry.h"
#include "engine/finish/scan_marks.h"
#include "engine/header_match.h"
#include "engine/messages.h"
#include "engine/output_tree.h"
#include "engine/pass_start.h"

using salvex::Outlet;
namespace fs = std::filesystem;

bool MyTableController::Photo_Recovey_Mode(const std::string& tag) {
    try {
        return Photo_Pass(tag == "GEN");
    } catch (const std::exception& e) {
        // Open streams stay as they are: the next pass or the final screen closes them.
        Show_MessageBox(e.what());
        return true;
    }
}

bool MyTableController::Photo_Pass(bool general) {
    using namespace salvex;
    const std::optional<PassStart> pass = Start_Pass(general);
    if (!pass) return false;
    const std::uint64_t end = pass->end;

    SectorReader reader(pass->device, [this, &pass] { return Open_Single_Sector_Source(pass->source_path); },
                        read_buffer_.get(), std::min(read_sectors * kSectorSize, kDeviceBufferSize));
    std::uint64_t file_count = 0, byte_count = 0, current_max = 0, current_start = 0;
    bool in_file = false, finished = false;
    std::string current_path, current_name, current_uid, current_extension, current_folder;
    FolderCounter counter_before;
    const char* const prefix = general ? "GND" : "THD";
    const HeaderSearch search(decode_records(REC_PROC_Array));
    // A photo's scan ends are noted as its sectors go out, while they are at hand.
    finish::ScanMarks marks;
    bool marking = false;
    const auto write = [&](const std::uint8_t* sector) {
        if (marking) marks.feed(sector, kSectorSize);
        return write_sector(pFile_op, sector);
    };

    // Posted without waiting: nothing the scan does next depends on a photo being
    // listed, so a busy window never holds the search up. The clearing check waits
    // for them when they could matter.
    const auto hand_over = [this](const std::string& path, const std::string& name, const std::string& uid) {
        ++Photos_In_Flight;
        view_.post([this, path, name, uid] {
            addImageWithPath(path, name, uid);
            --Photos_In_Flight;
        });
    };
    // Closes the current file after finishing it, then hands it over or, when it
    // is not kept, takes it back as if it had never been started. False when the
    // destination refused its last bytes.
    const auto close_current = [&] {
        // The thorough pass brings only what the general pass could not: such a
        // find goes without being read back.
        const bool found_before = pass->exact && !general && Found_By_General(current_start);
        finish::Verdict verdict;
        if (!Judge_Carved(pFile_op, current_extension, pass->exact && !found_before, verdict, marking ? &marks : nullptr))
            return false;
        const bool ok = close_output(pFile_op);
        pFile_op = nullptr;
        if (!ok) return false;
        const bool keep = !pass->exact || (!found_before && finish::settle({verdict}, {finish::type_of(current_extension)},
                                                                           !general) == 0);
        if (keep) {
            Record_Kept(*pass, general, current_folder, current_name, current_extension, current_start);
            hand_over(current_path, current_name, current_uid);
        } else {
            pass->tree->remove(current_folder, current_name);
            zeroed_.erase(current_path);
            --file_count;
            --(general ? GND_Image_number : THD_Image_number);
            uncount_one_file(Fol_Cnt_Array, counter_before);
        }
        current_path.clear();
        return true;
    };
    const auto fail = [&](const Refusal& why) {
        Write_Failure(pFile_op, why);
        return false;
    };
    // A file the disk refused is named, and is not counted as recovered.
    const auto refused = [&] {
        Write_Failure(pFile_op, {current_path, plain_cause(errno != 0 ? errno : EIO)}, !current_path.empty());
        return false;
    };

    bool source_ended = false;
    for (;;) {
        const std::uint64_t index = for_index.load(std::memory_order_relaxed);
        if (index >= end || search.empty()) break;

        if (stop_now.load(std::memory_order_relaxed) == 1) {
            stop_now = 0;
            std::fclose(pFile_Disk);
            pFile_Disk = nullptr;
            Stop_Label_Timer();
            // A stop keeps what was written; a file the disk refused is not handed over.
            if (pFile_op != nullptr && !close_current()) return refused();
            scan_outcome = ScanOutcome::Stopped;
            Request_Final_Screen();
            return false;
        }

        const std::uint8_t* sector = nullptr;
        const SectorReader::Got got = reader.next(index, end, sector);
        if (got == SectorReader::Got::end) {
            source_ended = true;
            break;
        }
        for_index.store(index + 1, std::memory_order_relaxed);
        if (got == SectorReader::Got::unreadable && in_file) Note_Unreadable(index, {current_path});

        const int matched = is_blank(sector) ? -1 : search.first_match(sector);
        if (matched >= 0) {
            const DecodedRecord& record = search.records()[static_cast<std::size_t>(matched)];
            const std::string& extension = REC_PROC_Array[record.index + kExtension];

            Clear_Full_Preview(text::kThumbnailsCleared, Outlet::imageBrowser);
            if (file_count > 0 && !finished) {
                // The sector holding the new header also ends the previous file.
                if (pFile_op != nullptr) {
                    if (!write(sector) || !close_current()) return refused();
                }
                current_path.clear();
            }
            finished = false;
            in_file = true;
            ++file_count;
            const std::uint64_t uid_number = general ? ++GND_Image_number : ++THD_Image_number;
            counter_before = counter_of(Fol_Cnt_Array, extension);
            current_folder = count_one_file(Fol_Cnt_Array, extension);
            current_extension = extension;
            current_name = Generate_File_Name(file_count, prefix, extension);
            current_uid = Generate_File_UID_Num(uid_number, !general, extension);
            current_start = index;
            byte_count = 0;
            current_max = record.max_size;
            current_path = (pass->pass_folder / current_folder / current_name).string();
            Refusal why;
            pFile_op = pass->tree->create(current_folder, current_name, why);
            if (pFile_op == nullptr) {
                current_path.clear();
                return fail(why);
            }
            std::setvbuf(pFile_op, output_buffer_.get(), _IOFBF, kOutputBufferSize);
            marking = pass->exact && finish::type_of(extension) == "jpg";
            marks.restart();
        }

        if (in_file) {
            byte_count += kSectorSize;
            if (byte_count >= current_max) {
                byte_count = 0;
                if (pFile_op != nullptr) {
                    // A buffered write meets a full disk at the flush, so the close is
                    // checked too: a file cut short is never handed over as whole.
                    if (!write(sector) || !close_current()) return refused();
                    in_file = false;
                    finished = true;
                }
            } else if (pFile_op != nullptr && !write(sector)) {
                return refused();
            }
        }
    }

    // End of range, or of the source.
    if (pFile_op != nullptr) {
        if (!close_current()) return refused();
        in_file = false;
    }
    // An empty list reads nothing, which counts as a failed read.
    return End_Pass(source_ended || search.empty(), reader);
}
