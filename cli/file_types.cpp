#include "cli/file_types.h"

#include <algorithm>
#include <cstdio>
#include <strings.h>

#include "app/edition_profile.h"
#include "app/globals.h"
#include "app/my_table_controller.h"
#include "app/text_helpers.h"
#include "app/texts/salvex_scan.h"
#include "engine/output_naming.h"

namespace salvex::cli {

std::int32_t mode_number(const std::string& mode) {
    if (mode == "video") return kVideoMode;
    if (mode == "file") return kRawFileMode;
    if (mode == "audio") return kAudioMode;
    return kPhotoMode;
}

namespace {

std::string offered_modes(const MyTableController& c) {
    std::string modes = "photo";
    if (c.mode_is_offered(kVideoMode)) modes += ", video";
    if (c.mode_is_offered(kRawFileMode)) modes += ", file";
    if (c.mode_is_offered(kAudioMode)) modes += ", audio";
    return modes;
}

std::string edition_name(const MyTableController& c) {
    const EditionProfile* e = select_edition(c.App_Name);
    return e != nullptr ? std::string(e->key) : std::string("this");
}

bool names_row(const std::string& type, const TableRow& row) {
    return strcasecmp(row.at("Extension").c_str(), type.c_str()) == 0;
}

bool names_any(const std::vector<std::string>& types, const TableRow& row) {
    return std::any_of(types.begin(), types.end(), [&](const std::string& t) { return names_row(t, row); });
}

// Ticks the named types in the check list of the current mode. False when none
// of them can be found, the thorough search being left out: said here.
bool tick_types(const std::vector<std::string>& types, bool thorough, MyTableController& controller) {
    const auto& rows = controller.nsCheckedListDataObject;
    std::size_t named = 0, thorough_only = 0;
    for (const auto& row : rows) {
        if (!names_any(types, row)) continue;
        ++named;
        // A type only the thorough search knows is never found without it.
        if (thorough || row.at("Thoro") != "YES") continue;
        ++thorough_only;
        std::fputs(text::error_line(text::thorough_only_left_out(row.at("Extension"))).c_str(), stderr);
    }
    for (std::size_t r = 0; r < rows.size(); ++r)
        controller.setObjectValue(Outlet::idCheckTableView, "State", static_cast<long>(r), names_any(types, rows[r]) ? "1" : "0");
    return thorough_only < named;
}

// --mode all: photo mode reads, and each other mode the edition offers reads
// beside it. --types narrows each of those to the named types it has; one that
// has none of them is left out. Photo mode has no choice of types.
int choose_every_mode(const Options& options, MyTableController& controller) {
    controller.modes_beside.clear();
    std::vector<bool> known(options.types.size(), false);
    bool findable = options.types.empty();
    for (const std::int32_t mode : {kVideoMode, kRawFileMode, kAudioMode}) {
        if (!controller.mode_is_offered(mode)) continue;
        Recovery_MODE = mode;
        controller.Fill_Check_List();
        if (!options.types.empty()) {
            bool has_any = false;
            for (std::size_t t = 0; t < options.types.size(); ++t)
                for (const auto& row : controller.nsCheckedListDataObject)
                    if (names_row(options.types[t], row)) known[t] = has_any = true;
            if (!has_any) continue;
            if (tick_types(options.types, options.thorough, controller)) findable = true;
        }
        if (!controller.Apply_Check_List_Selection()) return 2;
        controller.modes_beside.push_back({mode, controller.CheckListHeader_Array, controller.CheckListHeader_Adv_Array,
                                           controller.nsSIGFileInfoDataObject});
    }
    Recovery_MODE = kPhotoMode;
    for (std::size_t t = 0; t < options.types.size(); ++t)
        if (!known[t]) {
            std::fputs(text::error_line(text::not_a_type_of_edition(options.types[t])).c_str(), stderr);
            return 2;
        }
    return findable ? 0 : 2;
}

}  // namespace

int choose_mode_and_types(const Options& options, MyTableController& controller, bool apply_selection) {
    if (options.mode == "all") {
        if (!options.list_types) return choose_every_mode(options, controller);
        Recovery_MODE = kPhotoMode;
        return 0;
    }
    const std::int32_t mode = mode_number(options.mode);
    if (!controller.mode_is_offered(mode)) {
        std::fputs(
            text::error_line(text::mode_not_offered(edition_name(controller), options.mode, offered_modes(controller)))
                .c_str(),
            stderr);
        return 2;
    }
    Recovery_MODE = mode;
    if (mode == kPhotoMode) {
        if (!options.types.empty()) {
            std::fputs(text::error_line(text::kPhotoTypesFixed).c_str(), stderr);
            return 2;
        }
        return 0;
    }
    controller.Fill_Check_List();
    if (!options.types.empty()) {
        for (const auto& wanted : options.types) {
            const auto& rows = controller.nsCheckedListDataObject;
            if (std::none_of(rows.begin(), rows.end(), [&](const TableRow& row) { return names_row(wanted, row); })) {
                std::fputs(text::error_line(text::not_a_type_of_mode(wanted, options.mode)).c_str(), stderr);
                return 2;
            }
        }
        if (!tick_types(options.types, options.thorough, controller)) return 2;
    }
    if (apply_selection && !controller.Apply_Check_List_Selection()) return 2;
    return 0;
}

void print_type_list(const MyTableController& controller) {
    std::size_t width = 4;
    for (const auto& row : controller.nsCheckedListDataObject) width = std::max(width, utf16_length(row.at("Extension")));
    std::printf("%-*s  %s\n", static_cast<int>(width), "Type", "Description");
    for (const auto& row : controller.nsCheckedListDataObject)
        std::printf("%-*s  %s%s\n", static_cast<int>(width), row.at("Extension").c_str(), row.at("Description").c_str(),
                    row.at("Thoro") == "YES" ? text::kThoroughOnlyMark.data() : "");
}

void print_every_type_list(MyTableController& controller) {
    std::fputs(text::kPhotoTypesListed.data(), stdout);
    for (const std::int32_t mode : {kVideoMode, kRawFileMode, kAudioMode}) {
        if (!controller.mode_is_offered(mode)) continue;
        Recovery_MODE = mode;
        controller.Fill_Check_List();
        std::printf("\n%s:\n", std::string(mode_folder(mode)).c_str());
        print_type_list(controller);
    }
    Recovery_MODE = kPhotoMode;
}

}  // namespace salvex::cli
