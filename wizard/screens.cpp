// Screen switches: each shows or hides one screen's controls and never moves
// screen_counter.
#include "app/edition_profile.h"
#include "app/globals.h"
#include "app/my_table_controller.h"
#include "app/text_helpers.h"
#include "app/texts/wizard.h"
#include "wizard/wizard_helpers.h"

using salvex::kPhotoMode;
using salvex::kVideoMode;
using salvex::kRawFileMode;
using salvex::kAudioMode;

using salvex::Outlet;
using salvex::wizard::hide_controls;

void MyTableController::show_hide_1_screen(bool hide) {
    hide_controls(view_, {Outlet::idTableView, Outlet::idtablesclview, Outlet::refresh_btn, Outlet::refresh_Box,
                          Outlet::refresh_Label},
                  hide, false);
    // An edition keeps a mode radio hidden when it does not offer the mode, and
    // all of them when it offers photo alone.
    const salvex::EditionProfile* edition = salvex::select_edition(App_Name);
    const bool single_mode = edition != nullptr && !edition->video && !edition->raw_file && !edition->audio;
    view_.set_hidden(Outlet::rec_mode_Box, hide || single_mode);
    view_.set_hidden(Outlet::rec_mode_Photo, hide || single_mode);
    view_.set_hidden(Outlet::rec_mode_Video, hide || !mode_is_offered(kVideoMode));
    view_.set_hidden(Outlet::rec_mode_RawFile, hide || !mode_is_offered(kRawFileMode));
    view_.set_hidden(Outlet::rec_mode_Audio, hide || !mode_is_offered(kAudioMode));
    std::string title = APP_LONG_NAME;
    if (hide) title += " - " + std::string(salvex::text::mode_title(Recovery_MODE));
    view_.set_window_title(title);
}

void MyTableController::show_hide_2_screen(bool hide) {
    const bool sig = Recovery_MODE != kPhotoMode;
    const bool entire = view_.state(salvex::in_set(Outlet::entire_disk_rd, sig));
    const bool range = view_.state(salvex::in_set(Outlet::sector_range_rd, sig));
    if (entire && !range) {
        hide_controls(view_, salvex::kDiskCaptions, hide, sig);
        hide_controls(view_, salvex::kDiskValues, hide, sig);
    } else if (!entire && range) {
        hide_controls(view_, salvex::kRangeControls, hide, sig);
    }
    hide_controls(view_,
                  {Outlet::disk_sector_info_Box, Outlet::browse_Box, Outlet::path_label, Outlet::path,
                   Outlet::browse_path, Outlet::exact_files_chk, Outlet::searching_criteria_Box,
                   Outlet::entire_disk_rd, Outlet::sector_range_rd},
                  hide, sig);
    if (!sig)
        hide_controls(view_, {Outlet::Thro_Mode_Chk, Outlet::Thro_Mode_Chk_Label, Outlet::Thro_Mode_Info}, hide, false);
}

void MyTableController::show_hide_3_screen_Photo(bool hide) {
    hide_controls(view_,
                  {Outlet::idImagesclview, Outlet::imageBrowser, Outlet::Progress_Horz, Outlet::sector_label,
                   Outlet::Mode_label, Outlet::stop_scan},
                  hide, false);
    view_.set_enabled(Outlet::next_btn, hide);
    view_.set_enabled(Outlet::back_btn, hide);
}

void MyTableController::show_hide_3_screen_RawFile(bool hide) {
    hide_controls(view_, {Outlet::idCheckTableView, Outlet::idChecktablesclview, Outlet::select_unselect_Chk,
                          Outlet::Thro_Mode_Chk_SIG},
                  hide, false);
}

void MyTableController::show_hide_4_screen_RawFile(bool hide) {
    const bool movies = Recovery_MODE == kVideoMode || Recovery_MODE == kAudioMode;
    view_.clear_preview(Outlet::mMovieView);
    view_.clear_preview(Outlet::QuickLook_View);
    if (!hide) {
        view_.set_hidden(Outlet::mMovieView, !movies);
        view_.set_hidden(Outlet::QuickLook_View, movies);
    }
    hide_controls(view_,
                  {Outlet::open_folder_Sig, Outlet::Progress_Horz, Outlet::sector_label, Outlet::Mode_label,
                   Outlet::stop_scan, Outlet::idImagesclview_2, Outlet::imageBrowser_2, Outlet::QuickLook_View_Box},
                  hide, false);
    view_.set_enabled(Outlet::next_btn, hide);
    view_.set_enabled(Outlet::back_btn, hide);
    if (movies) {
        view_.set_hidden(Outlet::mMovieView, hide);
        view_.clear_preview(Outlet::mMovieView);
    } else {
        view_.set_hidden(Outlet::QuickLook_View, hide);
        view_.clear_preview(Outlet::QuickLook_View);
    }
}
