#include "cli/device_listing.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "app/globals.h"
#include "app/my_table_controller.h"
#include "app/text_helpers.h"
#include "app/texts/salvex_scan.h"

namespace salvex::cli {

void print_device_list(const MyTableController& controller) {
    static const std::array<const char*, 6> kHeadings{"Drive", "Volume Name", "File System", "Capacity", "Parent Disk", "Sectors"};
    static const std::array<const char*, 6> kColumns{"Collumn1", "Collumn2", "Collumn3", "Collumn4", "Collumn5", "Collumn6"};
    const long rows = controller.numberOfRowsInTableView(Outlet::idTableView);
    if (rows == 0) {
        std::fputs((USE_HARD_DISK ? text::kNoVolumes : text::kNoRemovableVolumes).data(), stdout);
        return;
    }
    std::vector<std::array<std::string, 6>> table{{}};
    for (std::size_t c = 0; c < 6; ++c) table[0][c] = kHeadings[c];
    for (long r = 0; r < rows; ++r) {
        std::array<std::string, 6> line;
        for (std::size_t c = 0; c < 6; ++c)
            line[c] = Trim_Str(controller.objectValueForTableColumn(Outlet::idTableView, kColumns[c], r));
        table.push_back(line);
    }
    std::array<std::size_t, 6> width{};
    for (const auto& line : table)
        for (std::size_t c = 0; c < 6; ++c) width[c] = std::max(width[c], utf16_length(line[c]));
    for (const auto& line : table) {
        std::string out;
        for (std::size_t c = 0; c < 6; ++c) {
            out += line[c];
            if (c + 1 < 6) out += std::string(width[c] - utf16_length(line[c]) + 2, ' ');
        }
        std::printf("%s\n", out.c_str());
    }
    if (::geteuid() != 0)
        std::fputs(text::kListingNeedsSudo.data(), stdout);
}

}  // namespace salvex::cli
