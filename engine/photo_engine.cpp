// The photo carving engine: one pass over the chosen sectors, each header match
// starting a new file that runs until its type's maximum size, the next header,
// the end of the range or a stop.
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <syslog.h>
#include <thread>

#include "app/folder_helpers.h"
#include "app/globals.h"
#include "app/message_box.h"
#include "app/my_table_controller.h"
#include "engine/header_match.h"
#include "engine/messages.h"
#include "engine/sector_stream.h"
#include "platform/raw_device.h"

using salvex::Outlet;
namespace fs = std::filesystem;

namespace {

std::string sector_label(std::uint64_t index, std::uint64_t end, std::uint64_t start, std::uint64_t total) {
    char text[128];
    const unsigned long long percent = total == 0 ? 0 : (index - start) * 100 / total;
    std::snprintf(text, sizeof text, "Sectors %llu of %llu   ( Completed %llu%% )", static_cast<unsigned long long>(index),
                  static_cast<unsigned long long>(end), percent);
    return text;
}

}  // namespace

ScanParameters MyTableController::Read_Scan_Parameters() {
    ScanParameters p;
    view_.post_and_wait([this, &p] {
        const bool sig = Recovery_MODE != kPhotoMode;
        p.device_identifier = view_.text(Outlet::disk_identifier);
        p.device_sectors = std::strtoull(view_.text(Outlet::sectors_val).c_str(), nullptr, 10);
        p.entire_disk = view_.state(salvex::in_set(Outlet::entire_disk_rd, sig));
        p.sector_range = view_.state(salvex::in_set(Outlet::sector_range_rd, sig));
        p.start_text = view_.text(salvex::in_set(Outlet::Start_slider_val, sig));
        p.end_text = view_.text(salvex::in_set(Outlet::End_slider_val, sig));
        p.destination = view_.text(Outlet::path);
        p.thorough = view_.state(sig ? Outlet::Thro_Mode_Chk_SIG : Outlet::Thro_Mode_Chk);
    });
    return p;
}

bool MyTableController::Photo_Recovey_Mode(const std::string& tag) {
    try {
        return Photo_Pass(tag == "GEN");
    } catch (const std::exception& e) {
        // Open streams stay as they are: the next pass or the final screen closes them.
        Show_MessageBox(e.what());
        return true;
    }
}

void MyTableController::Device_Open_Failure(int error_code) {
    std::printf("err no : %d\n", error_code);
    std::fflush(stdout);
    Stop_Label_Timer();
    view_.post_and_wait([this] {
        --screen_counter;
        show_hide_2_screen(false);
        show_hide_3_screen_Photo(true);
        view_.set_hidden(Outlet::open_folder, true);
    });
    stop_now = 0;
    Preview_Image_Count = 0;
    stop_screen_already_show = 1;
    scan_outcome = ScanOutcome::Failed;
    if (error_code == EPERM || error_code == EACCES) {
        syslog(LOG_NOTICE, "%s", std::string(salvex::text::kPermissionLog).c_str());
        view_.post_and_wait([this, error_code] { showPermissionAlertAndGuideUser(error_code); });
    } else {
        view_.post_and_wait([this, error_code] { showGenericErrorAlert(error_code); });
    }
}

void MyTableController::Write_Failure() {
    stop_now = 0;
    if (pFile_Disk != nullptr) {
        std::fclose(pFile_Disk);
        pFile_Disk = nullptr;
    }
    Stop_Label_Timer();
    if (pFile_op != nullptr) {
        std::fclose(pFile_op);
        pFile_op = nullptr;
    }
    scan_outcome = ScanOutcome::Failed;
    Show_MessageBox(salvex::text::unable_saving_Msg);
    Request_Final_Screen();
}

bool MyTableController::Photo_Pass(bool general) {
    using namespace salvex;
    const std::string mode_label(general ? text::kGeneralModeLabel : text::kThoroughModeLabel);
    view_.post_and_wait([this, general, &mode_label] {
        if (general) {
            images.clear();
            view_.set_zoom(Outlet::zoom_slider, 0.5);
            view_.set_zoom(Outlet::imageBrowser, 0.55);
            view_.reload(Outlet::imageBrowser);
        }
        view_.set_text(Outlet::Mode_label, mode_label);
        Curr_Running_Mode_Info = mode_label;
    });
    if (pFile_Disk != nullptr) {
        std::fclose(pFile_Disk);
        pFile_Disk = nullptr;
    }

    const ScanParameters params = Read_Scan_Parameters();
    const std::string device_path = platform::raw_device_path(params.device_identifier);
    std::uint64_t first = 0, end = 0;
    if (params.entire_disk && !params.sector_range) {
        end = params.device_sectors;
    } else if (!params.entire_disk && params.sector_range) {
        first = std::strtoull(params.start_text.c_str(), nullptr, 10);
        end = std::strtoull(params.end_text.c_str(), nullptr, 10);
    }
    start_sector = first;
    end_sector = end;
    total_sector = end - first;
    for_index = first;
    const std::string first_label = sector_label(first, end, first, end - first);
    view_.post_and_wait([this, total = end - first, &first_label] {
        view_.set_range(Outlet::Progress_Horz, 0, total);
        view_.set_text(Outlet::sector_label, first_label);
    });

    errno = 0;
    pFile_Disk = Open_Source(device_path, device_buffer_.get(), kDeviceBufferSize);
    if (pFile_Disk == nullptr) {
        Device_Open_Failure(errno);
        return false;
    }
    std::FILE* const device = pFile_Disk;

    view_.post_and_wait([this] {
        view_.set_enabled(Outlet::Thro_Mode_Chk, false);
        view_.set_enabled(Outlet::browse_path, false);
        view_.set_value(Outlet::Progress_Horz, 0);
        view_.set_text(Outlet::help_info, std::string(text::kStopHelp));
    });

    const fs::path search_folder = fs::path(params.destination) / Rec_Folder_Name / std::string(mode_folder(kPhotoMode));
    const fs::path general_folder = search_folder / std::string(kGeneralPassFolder);
    if (!general && !Create_Folder(general_folder.string())) {
        Write_Failure();
        return false;
    }
    const fs::path pass_folder = general ? general_folder : search_folder / std::string(kThoroughPassFolder);
    if (!Create_Folder(pass_folder.string())) {
        Write_Failure();
        return false;
    }

    std::array<std::uint8_t, kSectorSize> sector{};
    std::array<std::uint8_t, kSectorSize> reference{};
    std::size_t last_read = 0;
    std::uint64_t file_count = 0, byte_count = 0, current_max = 0;
    bool in_file = false, finished = false;
    std::string current_path, current_name, current_uid;
    const char* const prefix = general ? "GND" : "THD";

    if (first != 0) seek_sector(device, first);  // past the end, every read below fails
    view_.post([this, label = sector_label(first, end, first, end - first)] { view_.set_text(Outlet::sector_label, label); });

    REC_PROC_Array = general ? Ext_Array : Adv_Ext_Array;
    fill_folder_counters(REC_PROC_Array, Fol_Cnt_Array);
    const HeaderSearch search(decode_records(REC_PROC_Array));

    const auto close_output = [this] {
        const bool ok = std::fclose(pFile_op) == 0;
        pFile_op = nullptr;
        return ok;
    };
    const auto hand_over = [this](const std::string& path, const std::string& name, const std::string& uid) {
        view_.post_and_wait([this, &path, &name, &uid] { addImageWithPath(path, name, uid); });
    };

    for_index = first;
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
                    Write_Failure();
                    return false;
                }
                hand_over(current_path, current_name, current_uid);
            }
            scan_outcome = ScanOutcome::Stopped;
            Request_Final_Screen();
            return false;
        }

        last_read = read_sector(device, sector.data());
        if (last_read == 0 && !seek_sector(device, index)) reference = sector;
        for_index.store(index + 1, std::memory_order_relaxed);

        const int matched = std::memcmp(sector.data(), reference.data(), kSectorSize) == 0
                                ? -1
                                : search.first_match(sector.data());
        if (matched >= 0) {
            const DecodedRecord& record = search.records()[static_cast<std::size_t>(matched)];
            const std::string& extension = REC_PROC_Array[record.index + kExtension];

            if (Preview_Image_Count >= PREVIEW_CLEAR_LIMIT) {
                view_.post_and_wait([this] {
                    view_.set_text(Outlet::ClearThumbnail_Label, std::string(text::kThumbnailsCleared));
                    view_.set_hidden(Outlet::ClearThumbnail_Label, false);
                });
                std::this_thread::sleep_for(std::chrono::seconds(4));
                Preview_Image_Count = 0;
                view_.post_and_wait([this] {
                    images.clear();
                    view_.reload(Outlet::imageBrowser);
                });
            }
            if (file_count > 0 && !finished) {
                // The sector holding the new header also ends the previous file.
                if (pFile_op != nullptr) {
                    const bool written = std::fwrite(sector.data(), kSectorSize, 1, pFile_op) == 1;
                    if (!close_output() || !written) {
                        Write_Failure();
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
            if (!Create_Folder((pass_folder / type_folder).string())) {
                Write_Failure();
                return false;
            }
            if (pFile_op != nullptr && !close_output()) {
                Write_Failure();
                return false;
            }
            errno = 0;
            pFile_op = std::fopen(current_path.c_str(), "wb+");
            if (pFile_op == nullptr && errno != 0) {
                Write_Failure();
                return false;
            }
            if (pFile_op != nullptr) std::setvbuf(pFile_op, output_buffer_.get(), _IOFBF, kOutputBufferSize);
        }

        if (in_file) {
            byte_count += kSectorSize;
            if (byte_count >= current_max) {
                byte_count = 0;
                if (pFile_op != nullptr) {
                    // A buffered write meets a full disk at the flush, so the close is
                    // checked too: a file cut short is never handed over as whole.
                    const bool written = std::fwrite(sector.data(), kSectorSize, 1, pFile_op) == 1;
                    if (!close_output() || !written) {
                        Write_Failure();
                        return false;
                    }
                    in_file = false;
                    finished = true;
                    hand_over(current_path, current_name, current_uid);
                    current_path.clear();
                }
            } else if (pFile_op != nullptr && std::fwrite(sector.data(), kSectorSize, 1, pFile_op) != 1) {
                Write_Failure();
                return false;
            }
        }
    }

    // End of range.
    if (pFile_op != nullptr) {
        if (!close_output()) {
            Write_Failure();
            return false;
        }
        in_file = false;
    }
    if (!current_path.empty()) hand_over(current_path, current_name, current_uid);
    std::fclose(pFile_Disk);
    pFile_Disk = nullptr;
    if (last_read == 0) {
        scan_outcome = ScanOutcome::Failed;
        Show_MessageBox(text::kReadError);
        return false;
    }
    scan_outcome = ScanOutcome::Completed;
    return true;
}
