#include "cli/progress_line.h"

#include <cstdio>

#include "app/my_table_controller.h"

namespace salvex::cli {

std::string ProgressLine::operator()() {
    const std::uint64_t first = controller_.start_sector, index = controller_.for_index, end = controller_.end_sector,
                        total = controller_.total_sector;
    const auto now = std::chrono::steady_clock::now();
    // A new pass starts its reading over from the first sector.
    if (pass_start_sector_ == UINT64_MAX || index < pass_start_sector_) {
        pass_start_sector_ = index;
        pass_started_ = now;
    }
    const double seconds = std::chrono::duration<double>(now - pass_started_).count();
    const double mb_per_s = seconds > 0 ? static_cast<double>(index - pass_start_sector_) * 512 / 1e6 / seconds : 0;
    const std::uint64_t found = controller_.files_found;
    char line[160];
    std::snprintf(line, sizeof line, "Sectors %llu of %llu (%llu%%)  %.1f MB/s  %llu file%s found",
                  static_cast<unsigned long long>(index), static_cast<unsigned long long>(end),
                  static_cast<unsigned long long>(total ? (index - first) * 100 / total : 0), mb_per_s,
                  static_cast<unsigned long long>(found), found == 1 ? "" : "s");
    return line;
}

}  // namespace salvex::cli
