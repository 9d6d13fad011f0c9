#pragma once
// Every control of the window that the controller names. The enumerators drop the
// leading underscore of the outlet names (an underscore before a capital is
// reserved in C++); outlet_name() gives the name as the window knows it.
#include <array>
#include <string_view>

// Controls that exist twice: once for photo mode and once, with the suffix _Sig,
// for the video, raw-file and audio modes.
#define SALVEX_SET_OUTLETS(X)                                                          \
    X(disk) X(vol_name) X(file_system) X(size) X(start_sector_entire)                  \
    X(end_sector_entire) X(disk_val) X(vol_name_val) X(file_system_val) X(size_val)   \
    X(start_sector_entire_val) X(end_sector_entire_val) X(disk_sector_info_Box)        \
    X(entire_disk_rd) X(sector_range_rd) X(searching_criteria_Box)                     \
    X(Sector_Range_Info) X(Start_Sec_Box) X(Start_Sec_Min) X(Start_Sec_Min_val)        \
    X(Start_Sec_Max) X(Start_Sec_Max_val) X(Start_Sec_curr) X(Start_slider_val)        \
    X(Start_Slider) X(End_Sec_Box) X(End_Sec_Min) X(End_Sec_Min_val) X(End_Sec_Max)    \
    X(End_Sec_Max_val) X(End_Sec_curr) X(End_slider_val) X(End_Slider) X(browse_Box)   \
    X(path_label) X(path) X(browse_path) X(open_folder) X(exact_files_chk)

// Controls that exist once, with a leading underscore in the window.
#define SALVEX_SHARED_OUTLETS(X)                                                       \
    X(Thro_Mode_Chk) X(Thro_Mode_Chk_Label) X(Thro_Mode_Info) X(Thro_Mode_Chk_SIG)     \
    X(disk_identifier) X(sectors_val) X(help_info) X(Search_Type) X(back_btn)          \
    X(next_btn) X(stop_scan) X(Progress_Horz) X(sector_label) X(Mode_label)            \
    X(rec_mode_Box) X(rec_mode_Photo) X(rec_mode_Video) X(rec_mode_RawFile)            \
    X(rec_mode_Audio) X(refresh_btn) X(refresh_Box) X(refresh_Label)                   \
    X(select_unselect_Chk) X(ClearThumbnail_Label) X(zoom_label) X(zoom_slider)        \
    X(QuickLook_View) X(QuickLook_View_Box)

// Tables, browsers and views, named without an underscore in the window.
#define SALVEX_VIEW_OUTLETS(X)                                                         \
    X(idTableView) X(idtablesclview) X(idCheckTableView) X(idChecktablesclview)        \
    X(idSigTableView) X(idSigtablesclview) X(imageBrowser) X(idImagesclview)           \
    X(imageBrowser_2) X(idImagesclview_2) X(mMovieView) X(controlPanel)

namespace salvex {

enum class Outlet {
#define SALVEX_ENUM(n) n, n##_Sig,
    SALVEX_SET_OUTLETS(SALVEX_ENUM)
#undef SALVEX_ENUM
#define SALVEX_ENUM(n) n,
    SALVEX_SHARED_OUTLETS(SALVEX_ENUM)
    SALVEX_VIEW_OUTLETS(SALVEX_ENUM)
#undef SALVEX_ENUM
    count_
};

// The volume's details on the range screen: the captions, and their values in
// the same order, as they are laid out.
inline constexpr std::array kDiskCaptions{Outlet::disk, Outlet::vol_name, Outlet::file_system,
                                          Outlet::size, Outlet::start_sector_entire, Outlet::end_sector_entire};
inline constexpr std::array kDiskValues{Outlet::disk_val, Outlet::vol_name_val, Outlet::file_system_val,
                                        Outlet::size_val, Outlet::start_sector_entire_val,
                                        Outlet::end_sector_entire_val};
// What a sector range is chosen with: the sliders, their fields and their bounds.
inline constexpr std::array kRangeControls{
    Outlet::Sector_Range_Info, Outlet::Start_Sec_Box,     Outlet::Start_Sec_Min,  Outlet::Start_Sec_Min_val,
    Outlet::Start_Sec_Max,     Outlet::Start_Sec_Max_val, Outlet::Start_Sec_curr, Outlet::Start_slider_val,
    Outlet::Start_Slider,      Outlet::End_Sec_Box,       Outlet::End_Sec_Min,    Outlet::End_Sec_Min_val,
    Outlet::End_Sec_Max,       Outlet::End_Sec_Max_val,   Outlet::End_Sec_curr,   Outlet::End_slider_val,
    Outlet::End_Slider};

// "_path", "_path_Sig", "idTableView", ...
std::string_view outlet_name(Outlet o);

// The control of the current mode's set: the photo control itself, or its _Sig twin.
// A control outside the two sets comes back unchanged.
Outlet in_set(Outlet photo_control, bool sig_set);

}  // namespace salvex
