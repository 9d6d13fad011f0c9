#include "engine/finish/registry.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "engine/finish/units.h"

namespace salvex::finish {

namespace {

constexpr std::pair<std::string_view, Unit> kUnits[] = {
    {"jpg", check_jpeg},      {"png", check_png},         {"gif", check_gif},       {"bmp", check_bmp},
    {"tif", check_tiff},      {"cr2", check_tiff},        {"orf", check_tiff},      {"rw2", check_tiff},
    {"raf", check_raf},       {"x3f", check_x3f},         {"crw", check_crw},       {"mrw", check_mrw},
    {"psd", check_psd},       {"psb", check_psd},         {"webp", check_riff},     {"avi", check_riff},
    {"wav", check_riff},      {"aiff", check_aiff},       {"aifc", check_aiff},     {"mp4", check_iso_bmff},
    {"mov", check_iso_bmff},  {"m4v", check_iso_bmff},    {"3gp", check_iso_bmff},  {"3g2", check_iso_bmff},
    {"m4a", check_iso_bmff},  {"m4b", check_iso_bmff},    {"heic", check_iso_bmff}, {"heif", check_iso_bmff},
    {"avif", check_iso_bmff}, {"cr3", check_iso_bmff},    {"mkv", check_ebml},      {"webm", check_ebml},
    {"asf", check_asf},       {"wmv", check_asf},         {"wma", check_asf},       {"flv", check_flv},
    {"mxf", check_mxf},       {"ogg", check_ogg},         {"opus", check_ogg},      {"flac", check_flac},
    {"mp3", check_mpeg_audio}, {"aac", check_mpeg_audio}, {"mpg", check_mpeg_ps},   {"ts", check_mpeg_ts},
    {"mts", check_mpeg_ts},   {"mid", check_midi},        {"amr", check_amr},       {"awb", check_amr},
    {"pdf", check_pdf},       {"zip", check_zip},         {"docx", check_zip},      {"xlsx", check_zip},
    {"pptx", check_zip},      {"odt", check_zip},         {"ods", check_zip},       {"odp", check_zip},
    {"epub", check_zip},      {"doc", check_ole2},        {"xls", check_ole2},      {"ppt", check_ole2},
    {"rtf", check_rtf},       {"sqlite", check_sqlite},   {"7z", check_7z},         {"gz", check_gzip},
    {"rar", check_rar},       {"tar", check_tar},
};

}  // namespace

std::string type_of(std::string_view extension) {
    if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
    std::string type(extension);
    for (char& c : type) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return type;
}

Unit unit_for(std::string_view type) {
    for (const auto& [name, unit] : kUnits)
        if (name == type) return unit;
    return nullptr;
}

bool is_generic(std::string_view type) { return type == "zip"; }

int settle(const std::vector<Verdict>& verdicts, const std::vector<std::string>& types, bool thorough) {
    int best = -1;
    for (std::size_t i = 0; i < verdicts.size(); ++i) {
        if (verdicts[i].status != Status::confirmed) continue;
        if (best < 0 || (is_generic(types[static_cast<std::size_t>(best)]) && !is_generic(types[i])))
            best = static_cast<int>(i);
    }
    if (best >= 0 || verdicts.empty()) return best;
    if (!thorough) return 0;
    for (std::size_t i = 0; i < verdicts.size(); ++i)
        if (verdicts[i].status != Status::rejected) return static_cast<int>(i);
    return -1;
}

}  // namespace salvex::finish
