#include "app/edition_report.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "app/edition_profile.h"
#include "app/globals.h"
#include "app/my_table_controller.h"
#include "app/numbers.h"

namespace salvex {

namespace {

std::string human_size(const std::string& bytes_text) {
    const auto number = salvex::leading_number(bytes_text);
    const std::int64_t bytes = number.as_signed();
    if (!number.found || bytes <= 0) return "?";
    static constexpr std::string_view units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
    double v = static_cast<double>(bytes);
    std::size_t u = 0;
    while (v >= 1024 && u + 1 < std::size(units)) { v /= 1024; ++u; }
    char out[32];
    std::snprintf(out, sizeof out, v < 10 && u > 0 ? "%.1f %s" : "%.0f %s", v, std::string(units[u]).c_str());
    return out;
}

void append_list(std::string& out, std::string_view title, const std::string& file_name, const SignatureList& list) {
    char line[512];
    std::snprintf(line, sizeof line, "\n%.*s (%s): %zu record%s\n", static_cast<int>(title.size()), title.data(),
                  file_name.c_str(), list.size() / kSignatureStride, list.size() / kSignatureStride == 1 ? "" : "s");
    out += line;
    if (list.empty()) return;
    std::snprintf(line, sizeof line, "  %-6s %-34s %-6s %-10s %s\n", "Type", "Header", "Offset", "Max size", "Description");
    out += line;
    for (std::size_t r = 0; r + kSignatureStride <= list.size(); r += kSignatureStride) {
        std::snprintf(line, sizeof line, "  %-6s %-34s %-6s %-10s %s\n", list[r + kExtension].c_str(),
                      list[r + kHeader].c_str(), list[r + kHeader_Offset].c_str(),
                      human_size(list[r + kMax_File_Size]).c_str(), list[r + kDescription].c_str());
        out += line;
    }
}

}  // namespace

std::string edition_report(const MyTableController& c) {
    std::string out;
    const salvex::EditionProfile* edition = salvex::select_edition(c.App_Name);
    if (edition == nullptr) {
        out += "Edition:        none (bundle name \"" + c.App_Name + "\" names no edition)\n";
    } else {
        out += "Edition:        " + std::string(edition->key) + "\n";
        out += "Long name:      " + APP_LONG_NAME + "\n";
    }
    out += "Modes offered:  photo";
    if (c.mode_is_offered(kVideoMode)) out += ", video";
    if (c.mode_is_offered(kRawFileMode)) out += ", raw file";
    if (c.mode_is_offered(kAudioMode)) out += ", audio";
    out += "\n";
    out += std::string("Drives listed:  ") + (USE_HARD_DISK ? "removable and internal" : "removable only") + "\n";
    out += "Result folder:  " + c.Rec_Folder_Name + "\n";

    append_list(out, "Photo, general pass", c.photo_dll, c.Ext_Array);
    append_list(out, "Photo, thorough pass", c.photo_dll_adv, c.Adv_Ext_Array);
    if (c.mode_is_offered(kVideoMode)) {
        append_list(out, "Video, general pass", c.video_dll, c.Video_Array);
        append_list(out, "Video, thorough pass", c.video_dll_adv, c.Adv_Video_Array);
    }
    if (c.mode_is_offered(kRawFileMode)) {
        append_list(out, "File, general pass", c.raw_dll, c.RawFile_Array);
        append_list(out, "File, thorough pass", c.raw_dll_adv, c.Adv_RawFile_Array);
    }
    if (c.mode_is_offered(kAudioMode)) {
        append_list(out, "Audio, general pass", c.audio_dll, c.Audio_Array);
        append_list(out, "Audio, thorough pass", c.audio_dll_adv, c.Adv_Audio_Array);
    }
    return out;
}

}  // namespace salvex
