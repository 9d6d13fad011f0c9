#include "cli/progress_line.h"


#include "app/my_table_controller.h"
#include "app/texts/salvex_scan.h"

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
    return text::progress_line(index, end, total ? (index - first) * 100 / total : 0, mb_per_s, found);
}

}  // namespace salvex::cli
