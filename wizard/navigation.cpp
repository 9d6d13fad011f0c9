// The window's start-up and the wizard's two buttons: Next checks what the
// current screen asks for and moves on (starting the scan), Back steps back.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <utility>

#include "app/globals.h"
#include "app/message_box.h"
#include "app/my_table_controller.h"
#include "app/text_helpers.h"
#include "app/texts/wizard.h"
#include "wizard/wizard_helpers.h"

using salvex::kPhotoMode;
using salvex::kVideoMode;
using salvex::kRawFileMode;
using salvex::kAudioMode;
using salvex::TableRow;

using salvex::Outlet;
using salvex::in_set;
namespace fs = std::filesystem;

namespace {

constexpr std::pair<Outlet, std::string_view> kDiskLabels[] = {
    {Outlet::disk, salvex::text::kDiskCaption},
    {Outlet::vol_name, salvex::text::kVolumeNameCaption},
    {Outlet::file_system, salvex::text::kFileSystemCaption},
    {Outlet::size, salvex::text::kCapacityCaption},
    {Outlet::start_sector_entire, salvex::text::kStartSectorCaption},
    {Outlet::end_sector_entire, salvex::text::kEndSectorCaption},
};

std::string help(std::string_view text) { return std::string(text); }

// Whether a typed start or end sector may be used; the end of the volume itself is allowed.
bool sector_text_valid(const MyTableController& c, const std::string& text, const std::string& sectors_text) {
    if (text.empty()) return false;
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    const bool has_digits = i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]));
    if (!has_digits || (negative && salvex::wizard::leading_u64(text.substr(i)) != 0)) return false;
    if (!c.Check_For_Valid_Sec(text)) return false;
    if (salvex::utf16_length(text) > salvex::utf16_length(sectors_text)) return false;
    // Compared as whole numbers, exact even beyond 2^53 sectors.
    return salvex::wizard::leading_u64(text) <= salvex::wizard::leading_u64(sectors_text);
}

bool less_ignoring_case(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

std::string column(const TableRow& row, const std::string& key) {
    const auto it = row.find(key);
    return it == row.end() ? std::string() : it->second;
}

}  // namespace

void MyTableController::awakeFromNib() {
    salvex::wizard::guarded([&] {
        view_.set_window_title(APP_LONG_NAME);
        view_.bring_to_front();
        view_.set_state(Outlet::Thro_Mode_Chk, true);
        Recovery_MODE = kPhotoMode;
        view_.set_text(Outlet::help_info, help(salvex::text::kDeviceHelp));
        for (const bool sig : {false, true})
            for (const auto& [label, text] : kDiskLabels) view_.set_text(in_set(label, sig), std::string(text));
        view_.set_text(Outlet::sector_label, std::string(salvex::text::kNoSectorsYet));

        nsMutaryOfDataObject.clear();
        nsCheckedListDataObject.clear();
        nsSIGFileInfoDataObject.clear();
        Reload_Drive_list_Function();

        images.clear();
        view_.set_zoom(Outlet::zoom_slider, 0.5);
        view_.set_zoom(Outlet::imageBrowser, 0.55);
        view_.reload(Outlet::imageBrowser);
        view_.reload(Outlet::imageBrowser_2);
        load_signature_catalogue();
        if (const std::string problems = signature_problems_text(); !problems.empty()) Main_Thread_Messgae(problems);
        noprevfile = (fs::path(bundle_.resource_path) / "NoPreview.png").string();
        Null_Image_Data.clear();
        std::error_code ec;
        if (!bundle_.resource_path.empty() && fs::is_regular_file(noprevfile, ec)) {
            std::ifstream in(noprevfile, std::ios::binary);
            Null_Image_Data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }

        view_.set_value(Outlet::Progress_Horz, 0);
        std::stable_sort(nsCheckedListDataObject.begin(), nsCheckedListDataObject.end(),
                         [](const TableRow& a, const TableRow& b) {
                             return less_ignoring_case(column(a, "Extension"), column(b, "Extension"));
                         });
        view_.reload(Outlet::idCheckTableView);
        show_hide_1_screen(false);
    });
}

void MyTableController::Next_btn() {
    salvex::wizard::guarded([&] {
        const std::int32_t mode = Recovery_MODE;
        const bool photo = mode == kPhotoMode;
        const auto in_mode_set = [photo](Outlet o) { return in_set(o, !photo); };

        if (screen_counter == 0) {
            const long row = view_.selected_row(Outlet::idTableView);
            if (row < 0 || nsMutaryOfDataObject.empty()) {
                Show_MessageBox(salvex::text::kSelectMedia);
                return;
            }
            if (static_cast<std::size_t>(row) >= nsMutaryOfDataObject.size()) return;
            const MyDataObject record = nsMutaryOfDataObject[static_cast<std::size_t>(row)];
            screen_counter = 1;
            view_.set_text(Outlet::help_info, help(salvex::text::kEntireDiskHelp));

            view_.set_text(in_mode_set(Outlet::path), "");
            view_.set_state(in_mode_set(Outlet::entire_disk_rd), true);
            view_.set_state(in_mode_set(Outlet::sector_range_rd), false);
            view_.set_text(in_mode_set(Outlet::disk_val), record.nsStrDiskIdentifier);
            view_.set_text(in_mode_set(Outlet::vol_name_val), record.nsStrVolName);
            view_.set_text(in_mode_set(Outlet::file_system_val), record.nsStrFileSystem);
            view_.set_text(in_mode_set(Outlet::size_val), record.nsStrSize);
            view_.set_text(in_mode_set(Outlet::start_sector_entire_val), "0");
            view_.set_text(in_mode_set(Outlet::end_sector_entire_val), record.nsStrSectors);
            view_.set_text(Outlet::disk_identifier, record.nsStrDiskIdentifier);
            view_.set_text(Outlet::sectors_val, record.nsStrSectors);
            salvex::wizard::reset_range(view_, !photo, record.nsStrSectors);

            if (photo) view_.set_state(Outlet::Thro_Mode_Chk, true);
            // A search disables the photo set's Browse and thorough box whatever the
            // mode, and its end gives back only its own set's: a new search needs both.
            for (const Outlet o : {Outlet::browse_path, Outlet::browse_path_Sig, Outlet::Thro_Mode_Chk})
                view_.set_enabled(o, true);
            view_.set_text(Outlet::Search_Type, std::string(salvex::text::search_type_label(mode)));
            view_.set_hidden(Outlet::Search_Type, false);
            view_.set_enabled(Outlet::back_btn, true);
            show_hide_1_screen(true);
            show_hide_2_screen(false);
            return;
        }

        if (screen_counter == 1) {
            if (view_.text(in_mode_set(Outlet::path)).empty()) {
                Show_MessageBox(salvex::text::kSelectDestination);
                view_.focus(in_mode_set(Outlet::browse_path));
                return;
            }
            const bool entire = view_.state(in_mode_set(Outlet::entire_disk_rd));
            const bool range = view_.state(in_mode_set(Outlet::sector_range_rd));
            if (!entire && range) {
                const std::string sectors = view_.text(Outlet::sectors_val);
                const Outlet start_field = in_mode_set(Outlet::Start_slider_val);
                const Outlet end_field = in_mode_set(Outlet::End_slider_val);
                const std::string start = view_.text(start_field), end = view_.text(end_field);
                if (!sector_text_valid(*this, start, sectors)) {
                    Show_MessageBox(salvex::text::kBadStartSector);
                    view_.focus(start_field);
                    return;
                }
                if (!sector_text_valid(*this, end, sectors)) {
                    Show_MessageBox(salvex::text::kBadEndSector);
                    view_.focus(end_field);
                    return;
                }
                if (salvex::wizard::leading_u64(end) <= salvex::wizard::leading_u64(start)) {
                    Show_MessageBox(salvex::text::kEndNotAfterStart);
                    view_.focus(end_field);
                    return;
                }
            }
            if (!destination_off_source()) return;
            if (photo && !claim_result_folder()) return;
            screen_counter = 2;
            view_.set_state(Outlet::Thro_Mode_Chk_SIG, true);
            view_.set_state(Outlet::select_unselect_Chk, true);
            show_hide_2_screen(true);
            stop_now = 0;
            Preview_Image_Count = 0;
            if (photo) {
                show_hide_3_screen_Photo(false);
                Check_Have_Permissions();
                start_scan();
            } else {
                Fill_Check_List();
                show_hide_3_screen_RawFile(false);
            }
            return;
        }

        // In photo mode the search screen is the last one; Next is done there.
        if (screen_counter == 2 && !photo) {
            if (!Apply_Check_List_Selection() || !claim_result_folder()) return;
            screen_counter = 3;
            show_hide_3_screen_RawFile(true);
            show_hide_4_screen_RawFile(false);
            Check_Have_Permissions();
            start_scan();
        }
    });
}

void MyTableController::Back_btn() {
    salvex::wizard::guarded([&] {
        const bool photo = Recovery_MODE == kPhotoMode;
        switch (screen_counter) {
            case 1:
                screen_counter = 0;
                view_.set_hidden(Outlet::Search_Type, true);
                view_.set_text(Outlet::help_info, help(salvex::text::kDeviceHelp));
                view_.set_text(Outlet::sectors_val, "<None>");
                view_.set_text(Outlet::disk_identifier, "<None>");
                for (const bool sig : {false, true})
                    for (const Outlet o : salvex::kDiskValues) view_.set_text(in_set(o, sig), "<None>");
                view_.set_enabled(Outlet::back_btn, false);
                show_hide_1_screen(false);
                // Hidden while the mode still names the set that is showing.
                show_hide_2_screen(true);
                Recovery_MODE = kPhotoMode;
                view_.set_state(Outlet::rec_mode_Photo, true);
                view_.set_state(Outlet::rec_mode_Video, false);
                view_.set_state(Outlet::rec_mode_RawFile, false);
                view_.set_state(Outlet::rec_mode_Audio, false);
                Reload_Drive_list_Function();
                break;
            case 2: {
                screen_counter = 1;
                const bool entire = view_.state(in_set(Outlet::entire_disk_rd, !photo));
                const bool range = view_.state(in_set(Outlet::sector_range_rd, !photo));
                if (entire && !range) view_.set_text(Outlet::help_info, help(salvex::text::kEntireDiskHelp));
                else if (!entire && range) view_.set_text(Outlet::help_info, help(salvex::text::kRangeHelp));
                images.clear();
                view_.set_zoom(Outlet::zoom_slider, 0.5);
                view_.set_zoom(Outlet::imageBrowser, 0.55);
                view_.reload(Outlet::imageBrowser);
                view_.reload(Outlet::imageBrowser_2);
                for (const Outlet o : {Outlet::ClearThumbnail_Label, Outlet::zoom_label, Outlet::zoom_slider})
                    view_.set_hidden(o, true);
                show_hide_2_screen(false);
                if (photo) show_hide_3_screen_Photo(true);
                else show_hide_3_screen_RawFile(true);
                view_.set_hidden(Outlet::open_folder, true);
                view_.set_hidden(Outlet::open_folder_Sig, true);
                stop_now = 0;
                Preview_Image_Count = 0;
                break;
            }
            case 3:
                screen_counter = 2;
                view_.set_hidden(Outlet::ClearThumbnail_Label, true);
                images.clear();
                view_.reload(Outlet::imageBrowser_2);
                view_.set_hidden(Outlet::open_folder, true);
                view_.set_hidden(Outlet::open_folder_Sig, true);
                view_.set_text(Outlet::help_info, help(salvex::text::kFileTypeHelp));
                show_hide_4_screen_RawFile(true);
                show_hide_3_screen_RawFile(false);
                stop_now = 0;
                Preview_Image_Count = 0;
                break;
            default: break;
        }
    });
}
