// What every pass does with its files, whichever engine carves them, at once or
// held back until the general pass beside it is done.
#include "engine/carve_pass.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

#include "app/error_words.h"
#include "app/my_table_controller.h"
#include "app/texts/search.h"

namespace salvex {

namespace {

// The name a held-back file waits under: never one a result file can have.
std::string holding_name(std::size_t held) {
    char name[32];
    std::snprintf(name, sizeof name, "held-%06zu", held);
    return name;
}

}  // namespace

CarvePass::CarvePass(MyTableController& controller, bool general, PassStart start, SignatureList list)
    : c_(controller), general_(general), start_(std::move(start)), list_(std::move(list)) {
    fill_folder_counters(list_, counters_);
}

std::FILE* CarvePass::open_file(PassFile& file, Refusal& why) {
    // Noted as it opens, not as it is kept: a general find is always kept as
    // some file, and the thorough pass beside it may ask before it closes.
    auto& starts = start_.general_starts;
    if (general_ && starts != nullptr && (starts->empty() || starts->back() < file.start_sector))
        starts->push_back(file.start_sector);
    if (holding_ == nullptr) {
        name_file(file);
        return start_.tree->create(file.type_folder, file.name, why);
    }
    file.held = held_files_.size();
    file.name = holding_name(file.held);
    file.path = holding_->path() + "/" + file.type_folder + "/" + file.name;
    held_files_.push_back(file);
    held_paths_.push_back(file.path);
    held_.push_back({.kind = Held::Kind::open, .file = file.held});
    return holding_->create(file.type_folder, file.name, why);
}

void CarvePass::keep(const PassFile& file) {
    ++c_.files_found;
    if (holding_ != nullptr) {
        held_.push_back({.kind = Held::Kind::keep, .file = file.held});
        return;
    }
    std::vector<std::uint64_t> zeroed;
    if (const auto it = zeroed_.find(file.path); it != zeroed_.end()) {
        zeroed = std::move(it->second);
        zeroed_.erase(it);
    }
    c_.record_kept(start_, general_, file, std::move(zeroed));
    hand_over(file);
}

void CarvePass::drop(const PassFile& file) {
    zeroed_.erase(file.path);
    if (holding_ != nullptr) {
        holding_->remove(file.type_folder, file.name);
        held_.push_back({.kind = Held::Kind::drop, .file = file.held});
        return;
    }
    start_.tree->remove(file.type_folder, file.name);
    unname_file(file);
}

void CarvePass::note_unreadable(std::uint64_t sector, const PassFile& file) { zeroed_[file.path].push_back(sector); }

void CarvePass::clear_preview(std::string_view notice, Outlet browser) {
    if (holding_ != nullptr) held_.push_back({.kind = Held::Kind::clear, .notice = std::string(notice), .browser = browser});
    else c_.clear_full_preview(notice, browser);
}

bool CarvePass::fail(std::FILE*& stream, const Refusal& why, bool cut_short) {
    if (holding_ == nullptr) {
        c_.write_failure(stream, why, cut_short);
        return false;
    }
    // Told when released, in the words it would have had now.
    Refusal said = why;
    if (said.cause.empty()) said.cause = errno != 0 ? plain_cause(errno) : std::string(text::kDestinationRefused);
    if (stream != nullptr) std::fclose(stream);
    stream = nullptr;
    close_all();
    held_.push_back({.kind = Held::Kind::fail, .why = std::move(said), .cut_short = cut_short});
    return false;
}

bool CarvePass::found_by_general(std::uint64_t sector) const {
    const auto& starts = start_.general_starts;
    return starts != nullptr && std::binary_search(starts->begin(), starts->end(), sector);
}

CarvePass::~CarvePass() {
    // Never released nor discarded: a search cut off by an exception.
    if (holding_ != nullptr) holding_->remove_deepest();
}

void CarvePass::hold_back(std::shared_ptr<OutputTree> holding) { holding_ = std::move(holding); }

void CarvePass::discard() {
    if (holding_ == nullptr) return;
    c_.files_found -= static_cast<std::uint64_t>(
        std::count_if(held_.begin(), held_.end(), [](const Held& h) { return h.kind == Held::Kind::keep; }));
    close_all();
    holding_->remove_deepest();
    holding_.reset();
    held_.clear();
    held_files_.clear();
    held_paths_.clear();
    zeroed_.clear();
}

std::string CarvePass::released_path(const std::string& held_path) const {
    for (std::size_t i = 0; i < held_paths_.size(); ++i)
        if (held_paths_[i] == held_path) return held_files_[i].path;
    const std::string& holding = holding_->path();
    if (held_path.starts_with(holding)) return start_.pass_folder.string() + held_path.substr(holding.size());
    return held_path;
}

bool CarvePass::release(std::shared_ptr<OutputTree> tree) {
    start_.tree = std::move(tree);
    enum : char { waiting, open, settled };
    std::vector<char> state(held_files_.size(), waiting);
    // Files neither kept nor dropped when saving failed stay, as they would have:
    // when a file could not be made, those of its group hold their first sector.
    const auto leave_open_files = [&](bool first_sector_only) {
        for (std::size_t i = 0; i < held_files_.size(); ++i) {
            if (state[i] != open) continue;
            constexpr auto kOne = static_cast<off_t>(kSectorSize);
            struct stat st {};
            if (first_sector_only && ::stat(held_paths_[i].c_str(), &st) == 0 && st.st_size > kOne &&
                ::truncate(held_paths_[i].c_str(), kOne) != 0)
                continue;
            Refusal ignored;
            start_.tree->adopt(held_files_[i].type_folder, held_files_[i].name, *holding_, held_files_[i].type_folder,
                               holding_name(i), ignored);
        }
    };
    const auto failed = [&](const Refusal& why, bool cut_short, bool making = false) {
        leave_open_files(making);
        std::FILE* none = nullptr;
        c_.write_failure(none, why, cut_short);
        holding_->remove_deepest();
        holding_.reset();
        return false;
    };

    for (const Held& h : held_) {
        PassFile* const f = h.kind == Held::Kind::clear || h.kind == Held::Kind::fail ? nullptr : &held_files_[h.file];
        Refusal why;
        switch (h.kind) {
            case Held::Kind::open:
                name_file(*f);
                if (const auto it = zeroed_.find(held_paths_[h.file]); it != zeroed_.end()) {
                    auto sectors = std::move(it->second);
                    zeroed_.erase(it);
                    zeroed_[f->path] = std::move(sectors);
                }
                // Where the file would have been made: an earlier search's file goes.
                if (!start_.tree->make_room(f->type_folder, f->name, why)) return failed(why, false, true);
                state[h.file] = open;
                break;
            case Held::Kind::keep:
                state[h.file] = settled;
                if (!start_.tree->adopt(f->type_folder, f->name, *holding_, f->type_folder, holding_name(h.file), why))
                    return failed(why, false);
                c_.record_kept(start_, general_, *f, [&] {
                    std::vector<std::uint64_t> zeroed;
                    if (const auto it = zeroed_.find(f->path); it != zeroed_.end()) {
                        zeroed = std::move(it->second);
                        zeroed_.erase(it);
                    }
                    return zeroed;
                }());
                hand_over(*f);
                break;
            case Held::Kind::drop:
                state[h.file] = settled;
                unname_file(*f);
                break;
            case Held::Kind::clear:
                c_.clear_full_preview(h.notice, h.browser);
                break;
            case Held::Kind::fail:
                why = h.why;
                why.path = released_path(why.path);
                return failed(why, h.cut_short);
        }
    }
    holding_->remove_deepest();
    holding_.reset();
    return true;
}

}  // namespace salvex
