// The texts of the catalogue that have values in them.
#include <cstdio>

#include "app/globals.h"
#include "app/text_helpers.h"
#include "app/texts/search.h"
#include "app/texts/wizard.h"
#include "engine/output_naming.h"

namespace salvex::text {

// The window names each mode as its result folder does.
std::string_view mode_title(std::int32_t recovery_mode) { return mode_folder(recovery_mode); }

std::string_view search_type_label(std::int32_t recovery_mode) {
    switch (recovery_mode) {
        case kVideoMode: return "Search Type : Recover Video";
        case kRawFileMode: return "Search Type : Recover Raw File";
        case kAudioMode: return "Search Type : Audio File";
        default: return "Search Type : Recover Photo";
    }
}

std::string website_link_title(std::string_view website) {
    return Replace_char_in_string(website, "https://www.", "");
}

std::string sector_progress(std::uint64_t index, std::uint64_t end, std::uint64_t percent) {
    char text[128];
    std::snprintf(text, sizeof text, "Sectors %llu of %llu   ( Completed %llu%% )", static_cast<unsigned long long>(index),
                  static_cast<unsigned long long>(end), static_cast<unsigned long long>(percent));
    return text;
}

std::string permission_guide(std::string_view program) {
    const std::string name(program);
    return name + " needs permission to access files on removable volumes (like USB drives).\n\n"
                  "Please go to System Settings > Privacy & Security > Files and Folders, find \"" +
           name + "\" in the list, and enable \"Removable Volumes\" access.\n\n";
}

}  // namespace salvex::text
