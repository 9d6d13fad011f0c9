#include "app/texts/salvex_scan.h"

#include <cstdarg>
#include <cstdio>

namespace salvex::text {

namespace {

using ull = unsigned long long;

[[gnu::format(printf, 1, 2)]] std::string format(const char* pattern, ...) {
    std::va_list args;
    va_start(args, pattern);
    std::va_list again;
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, pattern, args);
    va_end(args);
    std::string out(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    if (size > 0) std::vsnprintf(out.data(), out.size() + 1, pattern, again);
    va_end(again);
    return out;
}

const char* plural(std::uint64_t n) { return n == 1 ? "" : "s"; }

std::string s(std::string_view text) { return std::string(text); }

}  // namespace

std::string error_line(std::string_view said) { return "salvex-scan: " + s(said) + "\n"; }
std::string usage_error_line(std::string_view said) { return "salvex-scan: " + s(said) + "\nTry 'salvex-scan --help'.\n"; }

std::string takes_no_value(std::string_view option) { return s(option) + " takes no value"; }
std::string needs_value(std::string_view option) { return s(option) + " needs a value"; }
std::string unknown_mode(std::string_view mode) {
    return "unknown mode \"" + s(mode) + "\": choose photo, video, file, audio or all";
}
std::string unknown_edition(std::string_view edition) {
    return "unknown edition \"" + s(edition) + "\": choose Alder, Birch, Cedar, Dogwood, Elm, Fir or Hazel";
}
std::string unknown_option(std::string_view option) { return "unknown option \"" + s(option) + "\""; }

std::string edition_missing(std::string_view edition, std::string_view bundle_path) {
    return "the " + s(edition) + " edition is not installed: " + s(bundle_path) + " is missing";
}
std::string mode_not_offered(std::string_view edition, std::string_view mode, std::string_view offered) {
    return "the " + s(edition) + " edition does not search for " + s(mode) + " files; it offers: " + s(offered);
}
std::string not_a_type_of_mode(std::string_view type, std::string_view mode) {
    return s(type) + " is not a " + s(mode) + " type; 'salvex-scan --mode " + s(mode) + " --list-types' lists them";
}
std::string not_a_type_of_edition(std::string_view type) {
    return s(type) + " is not a video, file or audio type of this edition; 'salvex-scan --mode all --list-types' lists them";
}
std::string thorough_only_left_out(std::string_view type) {
    return s(type) + " is looked for only by the thorough search, which --no-thorough leaves out";
}

std::string no_such_source(std::string_view source, std::string_view path) {
    return "there is no device or disk image called " + s(source) + " (" + s(path) + ")";
}
std::string source_is_folder(std::string_view source) {
    return s(source) + " is a folder; give a device or a disk-image file";
}
std::string neither_device_nor_image(std::string_view source) {
    return s(source) + " is neither a device nor a disk-image file";
}
std::string empty_source(std::string_view path) { return s(path) + ": empty, there is nothing to search"; }
std::string range_past_end(std::uint64_t start, std::uint64_t end, std::string_view source, std::uint64_t sectors) {
    return "the range " + std::to_string(start) + ":" + std::to_string(end) + " goes past the end of " + s(source) +
           ", which has " + std::to_string(sectors) + " sectors";
}
std::string device_needs_sudo(std::string_view path) {
    return s(path) + ": permission denied\nReading a device needs administrator rights: run salvex-scan with sudo.";
}
std::string image_needs_reading_rights(std::string_view path) {
    return s(path) + ": permission denied\nMake the image readable to you (chmod u+r " + s(path) +
           "), or run salvex-scan with sudo.";
}
std::string destination_holds_source(std::string_view source, std::string_view destination) {
    return s(source) + " lies where " + s(destination) +
           " keeps what it recovers: saving there would write over the source itself. Choose another folder.";
}
std::string destination_on_source(std::string_view destination, std::string_view source) {
    return s(destination) + " lies on " + s(source) +
           ", the volume being searched: saving there can overwrite the very files you want back. "
           "Choose a folder on another drive, or add --force to save there anyway.";
}

std::string progress_line(std::uint64_t index, std::uint64_t end, std::uint64_t percent, double mb_per_s,
                          std::uint64_t found) {
    return format("Sectors %llu of %llu (%llu%%)  %.1f MB/s  %llu file%s found", static_cast<ull>(index),
                  static_cast<ull>(end), static_cast<ull>(percent), mb_per_s, static_cast<ull>(found), plural(found));
}
std::string answer_prompt(std::string_view buttons, std::string_view default_button) {
    return "[" + s(buttons) + ", Enter for " + s(default_button) + "] ";
}
std::string stopped_at(std::uint64_t sector, std::uint64_t end) {
    return format("Stopped at sector %llu of %llu; everything found until then is kept.\n", static_cast<ull>(sector),
                  static_cast<ull>(end));
}
std::string pass_total_line(std::string_view pass, std::size_t files) {
    return s(pass) + ": " + std::to_string(files) + " file" + plural(files) + "\n";
}
std::string type_count_line(std::string_view type, std::size_t files) {
    return format("  %-6s %zu\n", s(type).c_str(), files);
}
std::string recovered_line(std::size_t files, std::string_view folder) {
    return "Recovered " + std::to_string(files) + " file" + plural(files) + " into " + s(folder) + "\n";
}
std::string unreadable_line(std::uint64_t sectors, std::uint64_t first, std::string_view files_with_zeros) {
    return format("%llu sector%s could not be read, first at %llu; ", static_cast<ull>(sectors), plural(sectors),
                  static_cast<ull>(first)) +
           (files_with_zeros.empty() ? s("no file kept holds zeros there.")
                                     : "these files hold zeros there:" + s(files_with_zeros)) +
           "\n";
}
std::string scan_report_line(std::string_view path) { return "Scan report: " + s(path) + "\n"; }

}  // namespace salvex::text
