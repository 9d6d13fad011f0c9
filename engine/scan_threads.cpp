// The scan runs on a thread of its own beside a half-second progress tick; the
// interface thread keeps the Stop button alive and shows the end screen.
#include <chrono>
#include <cstdio>
#include <exception>
#include <functional>

#include "app/globals.h"
#include "app/message_box.h"
#include "app/my_table_controller.h"
#include "app/texts/search.h"
#include "engine/pass_start.h"
#include "engine/scan_report.h"
#include "platform/short_waits.h"

using salvex::ScanParameters;
using salvex::kPhotoMode;
using salvex::ScanOutcome;

using salvex::Outlet;

void MyTableController::start_scan() { start_scan(read_scan_parameters()); }

void MyTableController::take_scan_parameters(ScanParameters choices) {
    choices.mode = Recovery_MODE;
    const bool photo = choices.mode == kPhotoMode;
    choices.general_list = photo ? Ext_Array : CheckListHeader_Array;
    choices.thorough_list = photo ? Adv_Ext_Array : CheckListHeader_Adv_Array;
    scan_params_ = std::move(choices);
}

void MyTableController::start_scan(ScanParameters choices) {
    join_scan_threads();
    take_scan_parameters(std::move(choices));
    scan_outcome = ScanOutcome::None;
    scan_tally = {};
    files_found = 0;
    search_starts_.reset();
    {
        // Set before either thread starts, so a pass that fails at once can stop it.
        std::lock_guard lock(timer_mutex_);
        mSetLabelTimer = true;
    }
    scan_running_ = true;
    scan_thread_ = std::thread([this, photo = scan_params_.mode == kPhotoMode] {
        salvex::platform::use_default_slices();  // not the interface thread's short ones
        run_guarded([this, photo] {
            if (photo) Photo_Rec_Thread();
            else Raw_File_Rec_Thread();
        });
        close_source();
        // Its last entries reach the disk before the scan counts as ended.
        if (report_ != nullptr) report_->close();
        release_result_folder(!scan_tally.result_folder.empty());
        scan_running_ = false;
    });
    timer_thread_ = std::thread([this] { startTimerThread(); });
}

bool MyTableController::run_pass_here(bool photo, bool general) {
    take_scan_parameters(read_scan_parameters());
    bool read = false;
    run_guarded([&] { read = run_pass(photo, general); });
    close_source();
    return read;
}

void MyTableController::run_guarded(const std::function<void()>& scan) {
    std::string failure;
    try {
        scan();
        return;
    } catch (const std::exception& e) {
        failure = e.what();
    } catch (...) {
        failure = salvex::text::kUnnamedFailure;
    }
    close_source();
    stop_label_timer();
    stop_now = 0;
    scan_outcome = ScanOutcome::Failed;
    Show_MessageBox(failure);
    request_final_screen();
}

void MyTableController::close_source() {
    if (pFile_Disk == nullptr) return;
    std::fclose(pFile_Disk);
    pFile_Disk = nullptr;
}

void MyTableController::join_scan_threads() {
    if (scan_thread_.joinable()) scan_thread_.join();
    stop_label_timer();
    if (timer_thread_.joinable()) timer_thread_.join();
}

void MyTableController::end_scan() {
    if (scan_running_) stop_now = 1;
    while (scan_running_) view_.run_posted_work(std::chrono::milliseconds(5));
    join_scan_threads();
    // Nothing posted for this controller may run after it.
    while (view_.run_posted_work(std::chrono::milliseconds(0)) > 0) {
    }
}

void MyTableController::Photo_Rec_Thread() {
    stop_screen_already_show = 0;
    run_passes(true);
    request_final_screen();
}

void MyTableController::Raw_File_Rec_Thread() {
    stop_screen_already_show = 0;
    // A preview being prepared shows the final screen itself once its sheet is gone.
    if (run_passes(false) && session) {
        stop_now = 1;
        // The sheet may have gone between the two looks, before the preview saw stop_now.
        if (session) return;
    }
    request_final_screen();
}

void MyTableController::request_final_screen() {
    if (stop_screen_already_show.exchange(1) == 0) view_.post([this] { Final_or_Stop_Screen(); });
}

void MyTableController::startTimerThread() {
    // Ticks are posted with the lock held, so none can follow a stop: the final
    // screen, queued after the stop, always runs after the last tick.
    std::unique_lock lock(timer_mutex_);
    while (mSetLabelTimer) {
        if (timer_wake_.wait_for(lock, std::chrono::milliseconds(500), [this] { return !mSetLabelTimer; })) break;
        view_.post([this] { timerTickSetLabel(); });
    }
}

void MyTableController::stop_label_timer() {
    {
        std::lock_guard lock(timer_mutex_);
        mSetLabelTimer = false;
    }
    timer_wake_.notify_all();
}

void MyTableController::timerTickSetLabel() {
    try {
        const std::uint64_t total = total_sector, index = for_index, first = start_sector, end = end_sector;
        if (total == 0 || index > end) return;
        view_.set_text(Outlet::sector_label, salvex::sector_label(index, end, first, total));
        view_.set_text(Outlet::Mode_label, Curr_Running_Mode_Info);
        view_.set_value(Outlet::Progress_Horz, index - first);
    } catch (...) {
        // A tick that fails is simply skipped.
    }
}

void MyTableController::Final_or_Stop_Screen() {
    try {
        stop_now = 1;
        stop_screen_already_show = 1;
        view_.set_text(Outlet::help_info, std::string(salvex::text::kBackHelp));
        stop_label_timer();
        for (const Outlet o : {Outlet::Mode_label, Outlet::Progress_Horz, Outlet::sector_label, Outlet::stop_scan})
            view_.set_hidden(o, true);
        view_.show_end_of_search_notice();
        stop_now = 0;
        const bool photo = Recovery_MODE == kPhotoMode;
        view_.set_hidden(Outlet::zoom_label, !photo);
        view_.set_hidden(Outlet::zoom_slider, !photo);
        view_.set_hidden(photo ? Outlet::open_folder : Outlet::open_folder_Sig, false);
        view_.set_enabled(Outlet::back_btn, true);
        view_.set_enabled(salvex::in_set(Outlet::browse_path, !photo), true);
        view_.set_enabled(Outlet::Thro_Mode_Chk, true);
        view_.set_enabled(salvex::in_set(Outlet::exact_files_chk, !photo), true);
    } catch (const std::exception& e) {
        Show_MessageBox(e.what());
    }
}
