#pragma once
// Where each carved file goes and what it is called:
//   <destination>/<Rec_Folder_Name>/<mode folder>/<pass folder>/<type folder>/<name>
// A type folder holds 50000 files, then the next ones go to JPG_001, JPG_002, ...
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "signatures/signature_list.h"

namespace salvex {

struct FolderCounter {
    std::string key;         // the Extension
    std::int32_t count = -1; // files in the current folder, minus one
    std::string folder;      // the current type folder, at first the key
};
using FolderCounterTable = std::vector<FolderCounter>;

inline constexpr std::int32_t kFilesPerTypeFolder = 50000;
inline constexpr std::string_view kGeneralPassFolder = "General Recovery Results";
inline constexpr std::string_view kThoroughPassFolder = "Omitted (recovered by Thorough Scan)";

// "Photo Search", "Video Search", "File Search", "Audio File Search".
std::string_view mode_folder(std::int32_t recovery_mode);
// Where the files of a pass that reads beside another wait, beside its pass
// folder; it goes when the search ends.
std::string holding_folder(std::string_view pass_folder);

// One counter per distinct Extension, in the order the list first names it.
void fill_folder_counters(const SignatureList& list, FolderCounterTable& table);
// Counts one more file of the type and returns the folder it goes into, rolling
// over to a new folder when the current one is full.
std::string count_one_file(FolderCounterTable& table, const std::string& extension);
// The counter of a type as it stands, to undo one count with later.
FolderCounter counter_of(const FolderCounterTable& table, const std::string& extension);
// Takes back the count of a file that was not kept; `before` is the counter as
// it stood before that file was counted.
void uncount_one_file(FolderCounterTable& table, const FolderCounter& before);
// The folder after "JPG" is "JPG_001"; after "JPG_999" there is none (empty).
std::string next_rollover_folder(const std::string& folder);

// "GND00042.JPG": the number padded to five digits, longer ones in full.
std::string file_name_for(std::uint64_t number, std::string_view prefix, std::string_view extension);

}  // namespace salvex

// The UID of a browser item: "GND00007.PNG", or "THD..." for the thorough pass.
std::string Generate_File_UID_Num(std::uint64_t number, bool thoro_hai, std::string_view extension);
