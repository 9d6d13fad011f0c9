#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace salvex::cli {

struct Options {
    bool help = false;
    bool list_signatures = false;
    bool list_devices = false;
    std::string edition = "Birch";  // the edition that offers every mode
    std::string source;             // device identifier or disk-image file
    std::string destination;
    std::string mode = "photo";     // photo, video, file, audio, or all of them the edition offers
    std::vector<std::string> types; // the file types to keep ticked; empty means all
    bool list_types = false;
    std::optional<std::uint64_t> range_start, range_end;  // sectors, end exclusive
    bool thorough = true;
    bool exact_files = true;  // each file cut at its own end and checked for its type
    bool force = false;  // save onto the source volume all the same
};

struct ParseResult {
    std::optional<Options> options;
    std::string error;  // set when the command line is not usable
};

ParseResult parse_options(const std::vector<std::string>& args);
std::string usage_text();

}  // namespace salvex::cli
