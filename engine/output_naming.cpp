#include "engine/output_naming.h"

#include <cctype>
#include <cstdlib>

#include "app/numbers.h"
#include "app/text_helpers.h"

namespace salvex {

std::string_view mode_folder(std::int32_t recovery_mode) {
    switch (recovery_mode) {
        case 1: return "Video Search";
        case 2: return "File Search";
        case 3: return "Audio File Search";
        default: return "Photo Search";
    }
}

std::string holding_folder(std::string_view pass_folder) { return "." + std::string(pass_folder) + " (in progress)"; }

void fill_folder_counters(const SignatureList& list, FolderCounterTable& table) {
    table.clear();
    for (std::size_t r = 0; r < list.size(); r += kSignatureStride) {
        const std::string& key = list.at(r + kExtension);
        bool known = false;
        for (const auto& c : table) known = known || c.key == key;
        if (!known) table.push_back({key, -1, key});
    }
}

std::string next_rollover_folder(const std::string& folder) {
    std::string name;
    if (const auto underscore = folder.find('_'); underscore != std::string::npos) {
        // The suffix counts from its leading digits; none reads as 0.
        const char* suffix = folder.c_str() + underscore + 1;
        const std::int64_t last =
            std::isdigit(static_cast<unsigned char>(*suffix)) ? leading_number(suffix).as_signed() : 0;
        if (last >= 999) return {};
        const long n = static_cast<long>(last) + 1;
        char digits[24];
        std::snprintf(digits, sizeof digits, "%03ld", n);
        name = folder.substr(0, underscore) + "_" + digits;
    } else {
        name = folder + "_001";
    }
    return Trim_Str(name);
}

std::string count_one_file(FolderCounterTable& table, const std::string& extension) {
    for (auto& c : table) {
        if (c.key != extension) continue;
        ++c.count;
        if (c.count >= kFilesPerTypeFolder) {
            if (std::string next = next_rollover_folder(c.folder); !next.empty()) {
                c.count = 0;
                c.folder = std::move(next);
            }
        }
        return c.folder;
    }
    // The table is filled from the list the engine searches, so this cannot be
    // reached by a matched record; an unknown type still gets a folder of its own.
    table.push_back({extension, 0, extension});
    return extension;
}

FolderCounter counter_of(const FolderCounterTable& table, const std::string& extension) {
    for (const auto& c : table)
        if (c.key == extension) return c;
    return {extension, -1, extension};
}

void uncount_one_file(FolderCounterTable& table, const FolderCounter& before) {
    for (auto& c : table) {
        if (c.key != before.key) continue;
        // A file that opened a roll-over folder alone takes the folder back with it.
        if (c.folder != before.folder && c.count == 0) c = before;
        else if (c.count > -1) --c.count;
        return;
    }
}

std::string file_name_for(std::uint64_t number, std::string_view prefix, std::string_view extension) {
    char digits[24];
    std::snprintf(digits, sizeof digits, "%05llu", static_cast<unsigned long long>(number));
    std::string name(prefix);
    name += digits;
    name += '.';
    name += extension;
    return name;
}

}  // namespace salvex

std::string Generate_File_UID_Num(std::uint64_t number, bool thoro_hai, std::string_view extension) {
    return salvex::file_name_for(number, thoro_hai ? "THD" : "GND", extension);
}
