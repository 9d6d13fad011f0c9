#include "cli/file_types.h"

#include <algorithm>
#include <cstdio>
#include <strings.h>

#include "app/edition_profile.h"
#include "app/globals.h"
#include "app/my_table_controller.h"
#include "app/text_helpers.h"

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
    if (c.Mode_Is_Offered(kVideoMode)) modes += ", video";
    if (c.Mode_Is_Offered(kRawFileMode)) modes += ", file";
    if (c.Mode_Is_Offered(kAudioMode)) modes += ", audio";
    return modes;
}

std::string edition_name(const MyTableController& c) {
    const EditionProfile* e = select_edition(c.App_Name);
    return e != nullptr ? std::string(e->key) : std::string("this");
}

}  // namespace

int choose_mode_and_types(const Options& options, MyTableController& controller, bool apply_selection) {
    if (options.mode == "all") {
        // Photo mode reads; each other mode the edition offers reads beside it, every type ticked.
        controller.Modes_Beside.clear();
        for (const std::int32_t mode : {kVideoMode, kRawFileMode, kAudioMode}) {
            if (!controller.Mode_Is_Offered(mode)) continue;
            Recovery_MODE = mode;
            controller.Fill_Check_List();
            if (!controller.Apply_Check_List_Selection()) return 2;
            controller.Modes_Beside.push_back({mode, controller.CheckListHeader_Array,
                                               controller.CheckListHeader_Adv_Array, controller.nsSIGFileInfoDataObject});
        }
        Recovery_MODE = kPhotoMode;
        return 0;
    }
    const std::int32_t mode = mode_number(options.mode);
    if (!controller.Mode_Is_Offered(mode)) {
        std::fprintf(stderr, "salvex-scan: the %s edition does not search for %s files; it offers: %s\n",
                     edition_name(controller).c_str(), options.mode.c_str(), offered_modes(controller).c_str());
        return 2;
    }
    Recovery_MODE = mode;
    if (mode == kPhotoMode) {
        if (!options.types.empty()) {
            std::fprintf(stderr, "salvex-scan: photo mode always looks for every photo type; --types is for video, file and audio\n");
            return 2;
        }
        return 0;
    }
    controller.Fill_Check_List();
    auto& rows = controller.nsCheckedListDataObject;
    if (!options.types.empty()) {
        for (const auto& wanted : options.types) {
            const bool known = std::any_of(rows.begin(), rows.end(), [&](const TableRow& row) {
                return strcasecmp(row.at("Extension").c_str(), wanted.c_str()) == 0;
            });
            if (!known) {
                std::fprintf(stderr, "salvex-scan: %s is not a %s type; 'salvex-scan --mode %s --list-types' lists them\n",
                             wanted.c_str(), options.mode.c_str(), options.mode.c_str());
                return 2;
            }
        }
        // A type only the thorough search knows is never found without it.
        if (!options.thorough) {
            std::size_t thorough_only = 0;
            for (const auto& row : rows) {
                const bool wanted = std::any_of(options.types.begin(), options.types.end(), [&](const std::string& t) {
                    return strcasecmp(row.at("Extension").c_str(), t.c_str()) == 0;
                });
                if (!wanted || row.at("Thoro") != "YES") continue;
                ++thorough_only;
                std::fprintf(stderr, "salvex-scan: %s is looked for only by the thorough search, which --no-thorough leaves out\n",
                             row.at("Extension").c_str());
            }
            if (thorough_only == options.types.size()) return 2;
        }
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const bool wanted = std::any_of(options.types.begin(), options.types.end(), [&](const std::string& t) {
                return strcasecmp(rows[r].at("Extension").c_str(), t.c_str()) == 0;
            });
            controller.setObjectValue(Outlet::idCheckTableView, "State", static_cast<long>(r), wanted ? "1" : "0");
        }
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
                    row.at("Thoro") == "YES" ? "  (thorough search only)" : "");
}

}  // namespace salvex::cli
