// The photo carving engine: one pass over the chosen sectors, each header match
// starting a new file that runs until its type's maximum size, the next header,
// the end of the range or a stop.
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <syslog.h>

#include "app/folder_helpers.h"
#include "app/globals.h"
#include "app/message_box.h"
#include "app/my_table_controller.h"
#include "engine/header_match.h"
#include "engine/messages.h"
#include "engine/pass_start.h"
#include "platform/invoking_user.h"
#include "platform/raw_device.h"

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
    std::FILE* const device = pass->device;
    const std::uint64_t end = pass->end;
    const fs::path& pass_folder = pass->pass_folder;

    SectorReader reader;
    std::uint64_t file_count = 0, byte_count = 0, current_max = 0;
    bool in_file = false, finished = false;
    std::string current_path, current_name, current_uid;
    const char* const prefix = general ? "GND" : "THD";
    const HeaderSearch search(decode_records(REC_PROC_Array));

    const auto close_output = [this] {
        const bool ok = salvex::close_output(pFile_op);
        pFile_op = nullptr;
        return ok;
    };
    // Posted without waiting: nothing the scan does next depends on a photo being
    // listed, so a busy window never holds the search up. The clearing check waits
    // for them when they could matter.
    const auto hand_over = [this, general](const std::string& path, const std::string& name, const std::string& uid) {
        ++(general ? scan_tally.general_files : scan_tally.thorough_files);
        ++Photos_In_Flight;
        view_.post([this, path, name, uid] {
            addImageWithPath(path, name, uid);
            --Photos_In_Flight;
        });
    };

    for (;;) {
        const std::uint64_t index = for_index.load(std::memory_order_relaxed);
        if (index >= end || search.empty()) break;

        if (stop_now.load(std::memory_order_relaxed) == 1) {
            stop_now = 0;
            std::fclose(pFile_Disk);
            pFile_Disk = nullptr;
            Stop_Label_Timer();
            if (pFile_op != nullptr) {
                // A stop keeps what was written; a file the disk refused is not handed over.
                if (!close_output()) {
                    Write_Failure(pFile_op);
                    return false;
                }
                hand_over(current_path, current_name, current_uid);
            }
            scan_outcome = ScanOutcome::Stopped;
            Request_Final_Screen();
            return false;
        }

        const bool blank = reader.read(device, index);
        for_index.store(index + 1, std::memory_order_relaxed);
        const auto& sector = reader.sector;

        const int matched = blank ? -1 : search.first_match(sector.data());
        if (matched >= 0) {
            const DecodedRecord& record = search.records()[static_cast<std::size_t>(matched)];
            const std::string& extension = REC_PROC_Array[record.index + kExtension];

            Clear_Full_Preview(text::kThumbnailsCleared, Outlet::imageBrowser);
            if (file_count > 0 && !finished) {
                // The sector holding the new header also ends the previous file.
                if (pFile_op != nullptr) {
                    const bool written = write_sector(pFile_op, sector.data());
                    if (!close_output() || !written) {
                        Write_Failure(pFile_op);
                        return false;
                    }
                }
                hand_over(current_path, current_name, current_uid);
                current_path.clear();
            }
            finished = false;
            in_file = true;
            ++file_count;
            const std::uint64_t uid_number = general ? ++GND_Image_number : ++THD_Image_number;
            const std::string type_folder = count_one_file(Fol_Cnt_Array, extension);
            current_name = Generate_File_Name(file_count, prefix, extension);
            current_uid = Generate_File_UID_Num(uid_number, !general, extension);
            byte_count = 0;
            current_max = record.max_size;
            current_path = (pass_folder / type_folder / current_name).string();
            if (!Create_User_Folder((pass_folder / type_folder).string())) {
                Write_Failure(pFile_op);
                return false;
            }
            if (pFile_op != nullptr && !close_output()) {
                Write_Failure(pFile_op);
                return false;
            }
            errno = 0;
            pFile_op = std::fopen(current_path.c_str(), "wb+");
            if (pFile_op == nullptr && errno != 0) {
                Write_Failure(pFile_op);
                return false;
            }
            if (pFile_op != nullptr) {
                salvex::platform::hand_to_invoking_user(fileno(pFile_op));
                std::setvbuf(pFile_op, output_buffer_.get(), _IOFBF, kOutputBufferSize);
            }
        }

        if (in_file) {
            byte_count += kSectorSize;
            if (byte_count >= current_max) {
                byte_count = 0;
                if (pFile_op != nullptr) {
                    // A buffered write meets a full disk at the flush, so the close is
                    // checked too: a file cut short is never handed over as whole.
                    const bool written = write_sector(pFile_op, sector.data());
                    if (!close_output() || !written) {
                        Write_Failure(pFile_op);
                        return false;
                    }
                    in_file = false;
                    finished = true;
                    hand_over(current_path, current_name, current_uid);
                    current_path.clear();
                }
            } else if (pFile_op != nullptr && !write_sector(pFile_op, sector.data())) {
                Write_Failure(pFile_op);
                return false;
            }
        }
    }

    // End of range.
    if (pFile_op != nullptr) {
        if (!close_output()) {
            Write_Failure(pFile_op);
            return false;
        }
        in_file = false;
    }
    if (!current_path.empty()) hand_over(current_path, current_name, current_uid);
    return End_Pass(reader.last_read);
}
