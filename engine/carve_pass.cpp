// What every pass does with its files, whichever engine carves them.
#include "engine/carve_pass.h"

#include "app/my_table_controller.h"

namespace salvex {

CarvePass::CarvePass(MyTableController& controller, bool general, PassStart start, SignatureList list)
    : c_(controller), general_(general), start_(std::move(start)), list_(std::move(list)) {
    fill_folder_counters(list_, counters_);
}

std::FILE* CarvePass::open_file(PassFile& file, Refusal& why) {
    name_file(file);
    // Noted as it opens, not as it is kept: a general find is always kept as
    // some file, and the thorough pass beside it may ask before it closes.
    if (general_) c_.Note_General_Start(file.start_sector);
    return start_.tree->create(file.type_folder, file.name, why);
}

void CarvePass::keep(const PassFile& file) {
    std::vector<std::uint64_t> zeroed;
    if (const auto it = zeroed_.find(file.path); it != zeroed_.end()) {
        zeroed = std::move(it->second);
        zeroed_.erase(it);
    }
    c_.Record_Kept(start_, general_, file, std::move(zeroed));
    hand_over(file);
}

void CarvePass::drop(const PassFile& file) {
    start_.tree->remove(file.type_folder, file.name);
    zeroed_.erase(file.path);
    unname_file(file);
}

void CarvePass::note_unreadable(std::uint64_t sector, const PassFile& file) { zeroed_[file.path].push_back(sector); }

void CarvePass::clear_preview(std::string_view notice, Outlet browser) { c_.Clear_Full_Preview(notice, browser); }

bool CarvePass::fail(std::FILE*& stream, const Refusal& why, bool cut_short) {
    c_.Write_Failure(stream, why, cut_short);
    return false;
}

bool CarvePass::found_by_general(std::uint64_t sector) const { return c_.Found_By_General(sector); }

}  // namespace salvex
