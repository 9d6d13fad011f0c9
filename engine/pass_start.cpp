// The start of a pass and the failures that end one, shared by both engines.
#include "app/numbers.h"
#include "engine/pass_start.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <syslog.h>

#include "app/error_words.h"
#include "app/folder_helpers.h"
#include "app/globals.h"
#include "app/message_box.h"
#include "app/my_table_controller.h"
#include "app/texts/search.h"
#include "engine/output_naming.h"
#include "engine/output_tree.h"
#include "platform/raw_device.h"

using salvex::ScanParameters;
using salvex::kPhotoMode;
using salvex::ScanOutcome;

using salvex::Outlet;
using salvex::PassStart;
namespace fs = std::filesystem;

namespace salvex {

std::string sector_label(std::uint64_t index, std::uint64_t end, std::uint64_t start, std::uint64_t total) {
    return text::sector_progress(index, end, total == 0 ? 0 : (index - start) * 100 / total);
}

}  // namespace salvex

ScanParameters MyTableController::read_scan_parameters() const {
    ScanParameters p;
    const bool sig = Recovery_MODE != kPhotoMode;
    p.device_identifier = view_.text(Outlet::disk_identifier);
    p.device_sectors = salvex::leading_number(view_.text(Outlet::sectors_val)).as_unsigned();
    p.entire_disk = view_.state(salvex::in_set(Outlet::entire_disk_rd, sig));
    p.sector_range = view_.state(salvex::in_set(Outlet::sector_range_rd, sig));
    p.start_text = view_.text(salvex::in_set(Outlet::Start_slider_val, sig));
    p.end_text = view_.text(salvex::in_set(Outlet::End_slider_val, sig));
    p.destination = view_.text(Outlet::path);
    p.thorough = view_.state(sig ? Outlet::Thro_Mode_Chk_SIG : Outlet::Thro_Mode_Chk);
    p.exact_files = view_.state(salvex::in_set(Outlet::exact_files_chk, sig));
    return p;
}

void MyTableController::device_open_failure(int error_code) {
    const bool photo = scan_params_.mode == kPhotoMode;
    if (photo) {
        syslog(LOG_NOTICE, "err no : %d", error_code);
    }
    stop_label_timer();
    view_.post_and_wait([this, photo] {
        --screen_counter;
        if (photo) {
            show_hide_2_screen(false);
            show_hide_3_screen_Photo(true);
        } else {
            show_hide_3_screen_RawFile(false);
            show_hide_4_screen_RawFile(true);
        }
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

void MyTableController::write_failure(std::FILE*& failing_stream, const salvex::Refusal& why, bool cut_short) {
    const int cause = errno;
    if (scan_tally.failure.empty()) {
        scan_tally.failure = !why.cause.empty() ? why.cause
                             : cause != 0      ? salvex::plain_cause(cause)
                                               : std::string(salvex::text::kDestinationRefused);
        scan_tally.failed_path = why.path;
        scan_tally.cut_short = cut_short;
    }
    stop_now = 0;
    close_source();
    stop_label_timer();
    if (failing_stream != nullptr) {
        std::fclose(failing_stream);
        failing_stream = nullptr;
    }
    scan_outcome = ScanOutcome::Failed;
    Show_MessageBox(salvex::text::unable_saving_Msg);
    request_final_screen();
}

std::optional<PassStart> MyTableController::start_pass(bool general, bool open_source) {
    using namespace salvex;
    const ScanParameters& params = scan_params_;
    const std::int32_t mode = params.mode;
    const bool photo = mode == kPhotoMode;
    const std::string mode_label(general ? text::kGeneralModeLabel : text::kThoroughModeLabel);
    view_.post_and_wait([this, general, photo, &mode_label] {
        if (general && photo) {
            images.clear();
            view_.set_zoom(Outlet::zoom_slider, 0.5);
            view_.set_zoom(Outlet::imageBrowser, 0.55);
            view_.reload(Outlet::imageBrowser);
        } else if (general) {
            Prev_Index = kNotFound;
            images.clear();
            view_.reload(Outlet::imageBrowser_2);
        }
        view_.set_text(Outlet::Mode_label, mode_label);
        Curr_Running_Mode_Info = mode_label;
    });
    close_source();

    PassStart pass;
    if (params.entire_disk && !params.sector_range) {
        pass.end = params.device_sectors;
    } else if (!params.entire_disk && params.sector_range) {
        pass.first = salvex::leading_number(params.start_text).as_unsigned();
        pass.end = salvex::leading_number(params.end_text).as_unsigned();
    }
    const std::uint64_t first = pass.first, end = pass.end, total = end - first;
    start_sector = first;
    end_sector = end;
    total_sector = total;
    // A pass the general one read for has read already: it never goes back.
    if (open_source) for_index = first;
    view_.post_and_wait([this, total, label = sector_label(first, end, first, total)] {
        view_.set_range(Outlet::Progress_Horz, 0, total);
        view_.set_text(Outlet::sector_label, label);
    });

    pass.source_path = platform::raw_device_path(params.device_identifier);
    if (open_source) {
        errno = 0;
        pFile_Disk = source_opener(pass.source_path, device_buffer_.get(), kDeviceBufferSize);
        if (pFile_Disk == nullptr) {
            device_open_failure(errno);
            return std::nullopt;
        }
        pass.device = pFile_Disk;
    }

    view_.post_and_wait([this, general, photo] {
        view_.set_enabled(Outlet::Thro_Mode_Chk, false);
        view_.set_enabled(Outlet::browse_path, false);
        view_.set_enabled(salvex::in_set(Outlet::exact_files_chk, !photo), false);
        if (general && !photo) view_.set_text(Outlet::QuickLook_View_Box, std::string(text::kNoFileToPreview));
        view_.set_value(Outlet::Progress_Horz, 0);
        view_.set_text(Outlet::help_info, std::string(text::kStopHelp));
    });

    const std::string mode_name(mode_folder(mode));
    const fs::path search_folder = fs::path(params.destination) / Rec_Folder_Name / mode_name;
    pass.pass_folder_name = std::string(general ? kGeneralPassFolder : kThoroughPassFolder);
    pass.pass_folder = search_folder / pass.pass_folder_name;
    pass.exact = params.exact_files;
    pass.thorough = params.thorough;
    pass.destination = params.destination;
    pass.mode_name = mode_name;
    if (general || search_starts_ == nullptr) search_starts_ = std::make_shared<std::vector<std::uint64_t>>();
    pass.general_starts = search_starts_;
    scan_tally.result_folder = search_folder.string();
    Refusal why;
    std::FILE* no_output = nullptr;
    if (!general) {
        // The thorough pass makes the general pass's folder first, as the general pass would have.
        OutputTree general_tree;
        if (!general_tree.open(params.destination, {Rec_Folder_Name, mode_name, std::string(kGeneralPassFolder)}, why)) {
            write_failure(no_output, why);
            return std::nullopt;
        }
    }
    pass.tree = std::make_shared<OutputTree>();
    if (!pass.tree->open(params.destination, {Rec_Folder_Name, mode_name, pass.pass_folder_name}, why)) {
        write_failure(no_output, why);
        return std::nullopt;
    }
    if (general) {
        report_ = std::make_unique<ScanReport>();
        const ReportSource source{.image = platform::raw_device_path(params.device_identifier),
                                  .first_sector = first,
                                  .end_sector = end,
                                  .program = App_Name,
                                  .version = SALVEX_VERSION};
        // A report that cannot be written does not hold the search up; the files matter more.
        if (Refusal ignored; !report_->open(pass.tree->folder(2), search_folder.string(), source, ignored)) report_.reset();
    }

    view_.post([this, label = sector_label(first, end, first, total)] { view_.set_text(Outlet::sector_label, label); });

    if (open_source) for_index = first;
    return pass;
}

void MyTableController::clear_full_preview(std::string_view notice, Outlet browser) {
    // Photos still on their way count once they land: when they could reach the
    // limit, let them land first (in flight read first, so a landing in between
    // can only make the sum too large).
    const std::uint64_t in_flight = photos_in_flight;
    if (in_flight > 0 && Preview_Image_Count + in_flight >= PREVIEW_CLEAR_LIMIT) view_.post_and_wait([] {});
    if (Preview_Image_Count < PREVIEW_CLEAR_LIMIT) return;
    view_.post_and_wait([this, notice] {
        view_.set_text(Outlet::ClearThumbnail_Label, std::string(notice));
        view_.set_hidden(Outlet::ClearThumbnail_Label, false);
    });
    // Long enough to read the notice; the scan waits, the window does not.
    std::this_thread::sleep_for(clearing_pause);
    Preview_Image_Count = 0;
    view_.post_and_wait([this, browser] {
        images.clear();
        view_.reload(browser);
    });
}

std::FILE* MyTableController::open_single_sector_source(const std::string& path) {
    std::FILE* stream = source_opener(path, source_sector_.data(), source_sector_.size());
    if (stream != nullptr) std::setvbuf(stream, source_sector_.data(), _IOFBF, source_sector_.size());
    return stream;
}

bool MyTableController::end_pass(bool source_ended, const salvex::SectorReader& reader) {
    close_source();
    if (reader.unreadable() > scan_tally.unreadable_sectors) {
        scan_tally.unreadable_sectors = reader.unreadable();
        scan_tally.first_unreadable = reader.first_unreadable();
    }
    // Each mode's report names them, however many searches read the source.
    if (report_ != nullptr) report_->note_unreadable(reader.unreadable(), reader.first_unreadable());
    // A source that ended before the range did: a card pulled out, an image cut short.
    if (source_ended) {
        scan_outcome = ScanOutcome::Failed;
        Show_MessageBox(salvex::text::kReadError);
        return false;
    }
    scan_outcome = ScanOutcome::Completed;
    return true;
}
