#pragma once
// Texts of salvex-scan: its usage, why it refuses a run, and what it prints
// while and after it searches. Each line it prints ends in a line feed here;
// the refusals go after "salvex-scan: " (error_line).
#include <cstdint>
#include <string>
#include <string_view>

namespace salvex::text {

inline constexpr std::string_view kScanUsage =
    "Usage: salvex-scan --source DEVICE_OR_IMAGE --dest DIR [options]\n"
    "       salvex-scan [--edition NAME] --list-devices | --list-signatures\n"
    "\n"
    "       salvex-scan [--edition NAME] --mode MODE --list-types\n"
    "\n"
    "Finds deleted photos, videos, documents and audio on memory cards, USB sticks\n"
    "and disk images by the signatures their files begin with, and copies them\n"
    "into DIR. The source is only ever read.\n"
    "\n"
    "Options:\n"
    "  --source SOURCE     a device identifier such as sdb1, or a disk-image file\n"
    "  --dest DIR          where the result folder is made\n"
    "  --mode MODE         what to look for: photo (default), video, file or audio,\n"
    "                      or all: every mode the edition offers, from one read\n"
    "  --types LIST        in video, file and audio mode, the file types to look\n"
    "                      for, separated by commas, such as MP4,MOV (default: all);\n"
    "                      with --mode all, a mode with none of them is left out\n"
    "  --list-types        list the file types of the mode (of each mode with\n"
    "                      --mode all), as --types takes them\n"
    "  --range START:END   search sectors START up to, not including, END\n"
    "                      (default: the whole source)\n"
    "  --no-thorough       leave out the thorough search\n"
    "  --whole-sectors     keep each file as whole sectors up to the next file or its\n"
    "                      type's largest size, without cutting it at its own end\n"
    "                      or checking its type\n"
    "  --force             save even when DIR lies on the volume being searched, which\n"
    "                      can overwrite the very files you want back (never over\n"
    "                      the source file itself)\n"
    "  --edition NAME      the edition to run as: Alder, Birch, Cedar, Dogwood,\n"
    "                      Elm, Fir or Hazel (default Birch, which offers every mode)\n"
    "  --list-devices      list the volumes the edition may search\n"
    "  --list-signatures   print the edition, the modes it offers and the file\n"
    "                      signatures of each mode and pass\n"
    "  --help              show this text\n"
    "\n"
    "Ctrl-C asks whether to stop; a second Ctrl-C, SIGTERM or SIGHUP stops at once.\n"
    "Files found up to then are kept. Errors go to standard error.\n"
    "\n"
    "Exit status: 0 the search ran to its end, 1 it failed (device, read or write,\n"
    "or a signature file of the mode gave nothing), 2 bad usage (also a destination\n"
    "on the source, or a result folder another search is saving into), 130 stopped.\n";

// "salvex-scan: <said>\n", as every refusal and failure reaches standard error.
std::string error_line(std::string_view said);
// A refusal of the command line, with the hint to --help after it.
std::string usage_error_line(std::string_view said);

// What is wrong with the command line.
std::string takes_no_value(std::string_view option);
std::string needs_value(std::string_view option);
std::string unknown_mode(std::string_view mode);
std::string unknown_edition(std::string_view edition);
std::string unknown_option(std::string_view option);
inline constexpr std::string_view kTypesWanted = "--types wants at least one file type, such as MP4,MOV";
inline constexpr std::string_view kRangeWanted = "--range wants two sector numbers, START:END, such as 0:2048";
inline constexpr std::string_view kRangeBackwards = "--range must end after it starts";
inline constexpr std::string_view kSourceWanted =
    "say what to search with --source (a device such as sdb1, or a disk image)";
inline constexpr std::string_view kDestinationWanted = "say where to save what is found with --dest";

// The edition, its modes and its types.
std::string edition_missing(std::string_view edition, std::string_view bundle_path);
std::string mode_not_offered(std::string_view edition, std::string_view mode, std::string_view offered);
std::string not_a_type_of_mode(std::string_view type, std::string_view mode);
std::string not_a_type_of_edition(std::string_view type);
std::string thorough_only_left_out(std::string_view type);
inline constexpr std::string_view kPhotoTypesFixed =
    "photo mode always looks for every photo type; --types is for video, file and audio";
inline constexpr std::string_view kPhotoTypesListed = "Photo mode looks for every photo type; --list-signatures lists them.\n";
inline constexpr std::string_view kThoroughOnlyMark = "  (thorough search only)";

// The drives it may search.
inline constexpr std::string_view kNoVolumes = "No volumes are mounted.\n";
inline constexpr std::string_view kNoRemovableVolumes = "No memory card or USB stick is mounted. Insert one and try again.\n";
inline constexpr std::string_view kListingNeedsSudo =
    "\nReading a device needs administrator rights: run salvex-scan with sudo to search one.\n";

// The source and the destination.
std::string no_such_source(std::string_view source, std::string_view path);
std::string source_is_folder(std::string_view source);
std::string neither_device_nor_image(std::string_view source);
std::string empty_source(std::string_view path);
std::string range_past_end(std::uint64_t start, std::uint64_t end, std::string_view source, std::uint64_t sectors);
std::string device_needs_sudo(std::string_view path);
std::string image_needs_reading_rights(std::string_view path);
std::string destination_holds_source(std::string_view source, std::string_view destination);
std::string destination_on_source(std::string_view destination, std::string_view source);
inline constexpr std::string_view kCannotSaveThere = "cannot save there";
inline constexpr std::string_view kCutShortNotCounted = "\nThat file is cut short and not counted as recovered.";

// While it searches, and the end.
std::string progress_line(std::uint64_t index, std::uint64_t end, std::uint64_t percent, double mb_per_s,
                          std::uint64_t found);
std::string answer_prompt(std::string_view buttons, std::string_view default_button);
std::string stopped_at(std::uint64_t sector, std::uint64_t end);
std::string pass_total_line(std::string_view pass, std::size_t files);
std::string type_count_line(std::string_view type, std::size_t files);
std::string recovered_line(std::size_t files, std::string_view folder);
// The files that hold zeros come each on a line of its own after the text, empty when none does.
std::string unreadable_line(std::uint64_t sectors, std::uint64_t first, std::string_view files_with_zeros);
std::string scan_report_line(std::string_view path);

}  // namespace salvex::text
