// The video, raw-file and audio engine. It reads like the photo engine, but one
// header may start a group of files, one per format that shares the header, and
// the files of a group grow together until each reaches its own maximum size.
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <exception>
#include <filesystem>

#include "app/error_words.h"
#include "app/my_table_controller.h"
#include "app/numbers.h"
#include "app/text_helpers.h"
#include "app/texts/search.h"
#include "engine/carve_pass.h"
#include "engine/finish/registry.h"
#include "engine/sector_stream.h"

namespace fs = std::filesystem;

namespace salvex {

namespace {

constexpr std::size_t kSlotBufferSize = 256u << 10;

// A record joins the group of the matched header when either header text holds
// the other; a longer one must also sit at the same offset.
bool related(const std::string& matched_header, const std::string& matched_offset, const std::string& header,
             const std::string& offset) {
    return Find_Str(matched_header, header) || (Find_Str(header, matched_header) && offset == matched_offset);
}

}  // namespace

GroupPass::GroupPass(MyTableController& controller, bool general, PassStart start, SignatureList list)
    : CarvePass(controller, general, std::move(start), std::move(list)) {
    try {
        search_.emplace(decode_records(list_));
    } catch (const std::exception&) {
    }
}

GroupPass::~GroupPass() { close_slots(); }

void GroupPass::close_slots() {
    for (int s = 0; s < kSlots; ++s) {
        if (streams_[s] != nullptr) std::fclose(streams_[s]);
        streams_[s] = nullptr;
        taken_[s] = false;
    }
}

void GroupPass::name_file(PassFile& file) {
    // Names count listed files; one not listed, or two of a type in one group,
    // would repeat a name, so the number moves on past any in use.
    std::uint64_t number = c_.file_name_number(file.count, file.extension);
    std::string name = file_name_for(number, file.extension, file.extension);
    const fs::path folder = start_.pass_folder / file.type_folder;
    while (used_paths_.contains((folder / name).string())) name = file_name_for(++number, file.extension, file.extension);
    file.path = (folder / name).string();
    file.name = file.uid = name;
    used_paths_.insert(file.path);
}

void GroupPass::unname_file(const PassFile& file) { used_paths_.erase(file.path); }

void GroupPass::hand_over(const PassFile& file) {
    // The summary's counts number the next names: the hand-over completes first.
    c_.view().post_and_wait([this, &file] { c_.addImageWithPath_2(file.path, file.name, file.uid); });
}

bool GroupPass::write_slot(int slot) { return streams_[slot] == nullptr || write_sector(streams_[slot], sector_); }

// Of a closed group, the candidate its structure confirms is kept; the others
// leave no trace: no file, no list row, no name number, no folder count.
std::optional<OpenFile> GroupPass::settle_group() {
    if (closed_.empty()) return std::nullopt;
    std::sort(closed_.begin(), closed_.end(), [](const OpenFile& a, const OpenFile& b) { return a.slot < b.slot; });
    std::vector<finish::Verdict> verdicts;
    std::vector<std::string> types;
    for (const auto& f : closed_) {
        verdicts.push_back(f.verdict);
        types.push_back(finish::type_of(f.extension));
    }
    int kept = finish::settle(verdicts, types, !general_);
    // The thorough pass brings only what the general pass could not.
    if (!general_ && found_by_general(closed_.front().start_sector)) kept = -1;
    for (std::size_t i = closed_.size(); i-- > 0;) {
        if (static_cast<int>(i) == kept) continue;
        drop(closed_[i]);
        uncount_one_file(counters_, closed_[i].counter_before);
    }
    std::optional<OpenFile> result;
    if (kept >= 0) {
        result = closed_[static_cast<std::size_t>(kept)];
        keep(*result);
    }
    closed_.clear();
    return result;
}

// Closes a file of the group; false when the disk refused its last bytes.
bool GroupPass::close_file(OpenFile& f) {
    bool ok = true;
    if (streams_[f.slot] != nullptr) {
        // A thorough group where a general find started is dropped whole: not read back.
        const bool found_before = !general_ && found_by_general(f.start_sector);
        ok = judge_carved(streams_[f.slot], f.extension, start_.exact && !found_before, f.verdict);
        ok = close_output(streams_[f.slot]) && ok;
    }
    streams_[f.slot] = nullptr;
    taken_[f.slot] = false;
    f.closed = true;
    if (!ok) return false;
    if (start_.exact) closed_.push_back(f);
    else keep(f);
    return true;
}

void GroupPass::group_emptied() {
    group_bytes_ = 0;
    close_slots();
    settle_group();
}

bool GroupPass::fail_writing(int slot, const Refusal& why, bool cut_short) {
    std::FILE* none = nullptr;
    fail(slot >= 0 ? streams_[slot] : none, why, cut_short);
    if (slot >= 0) taken_[slot] = false;
    return false;
}

// A file the disk refused is named, and is not counted as recovered.
bool GroupPass::refused(const OpenFile& f) {
    return fail_writing(-1, {f.path, plain_cause(errno != 0 ? errno : EIO)}, true);
}

bool GroupPass::feed(std::uint64_t index, const std::uint8_t* sector, bool unreadable) {
    sector_ = sector;
    if (unreadable && carving_)
        for (const auto& f : open_) note_unreadable(index, f);

    if (!is_blank(sector)) {
        if (!search_) {
            // The damaged list fails here: the pass ends, its files left as they are.
            list_failed_ = true;
            return true;
        }
        const int matched = search_->first_match(sector);
        if (matched >= 0) {
            // Multi-open.
            if (carving_) {
                for (auto& f : open_) {
                    const bool written = write_slot(f.slot);
                    if (!close_file(f) || !written) return refused(f);
                }
                open_.clear();
                group_emptied();
            }
            header_flag_ = true;
            group_bytes_ += kSectorSize;
            const std::size_t m = search_->records()[static_cast<std::size_t>(matched)].index;
            const std::string matched_header = list_.at(m + kHeader);
            const std::string matched_offset = list_.at(m + kHeader_Offset);
            for (std::size_t r = m; r + kSignatureStride <= list_.size(); r += kSignatureStride) {
                if (!related(matched_header, matched_offset, list_[r + kHeader], list_[r + kHeader_Offset])) continue;
                const std::string& extension = list_[r + kExtension];
                const FolderCounter before = counter_of(counters_, extension);
                const std::string type_folder = count_one_file(counters_, extension);
                int slot = 0;
                while (slot < kSlots && taken_[slot]) ++slot;
                if (slot == kSlots) continue;  // more than 30 formats: the rest get no file

                OpenFile file;
                file.extension = extension;
                file.max_size = list_[r + kMax_File_Size];
                file.header = list_[r + kHeader];
                file.slot = slot;
                file.type_folder = type_folder;
                file.start_sector = index;
                file.counter_before = before;
                file.count = ++file_count_;
                open_.push_back(file);
                taken_[slot] = true;
                Refusal why;
                streams_[slot] = open_file(open_.back(), why);
                if (streams_[slot] == nullptr) return fail_writing(slot, why);
                if (!buffers_[slot]) buffers_[slot].reset(new char[kSlotBufferSize]);
                std::setvbuf(streams_[slot], buffers_[slot].get(), _IOFBF, kSlotBufferSize);
                if (!write_slot(slot)) return refused(open_.back());
            }

            clear_preview(text::kFilesCleared, Outlet::imageBrowser_2);
            carving_ = true;
        }
    }

    if (carving_) {
        // Group step.
        if (!header_flag_) group_bytes_ += kSectorSize;
        for (auto it = open_.begin(); it != open_.end();) {
            const auto max = static_cast<std::uint64_t>(leading_number(it->max_size).as_signed());
            if (group_bytes_ < max) {
                if (!header_flag_ && !write_slot(it->slot)) return refused(*it);
                ++it;
                continue;
            }
            const bool written = header_flag_ || write_slot(it->slot);
            if (!close_file(*it) || !written) return refused(*it);
            it = open_.erase(it);
        }
        header_flag_ = false;
        if (open_.empty()) group_emptied();
    }
    return true;
}

bool GroupPass::finish() {
    // A damaged list leaves its files as they are.
    if (!search_ && !list_.empty()) return true;
    for (auto& f : open_)
        if (!close_file(f)) return refused(f);
    open_.clear();
    group_emptied();
    return true;
}

bool GroupPass::stop() {
    if (start_.exact) {
        // A stop keeps what was written, finished like any other file.
        for (auto& f : open_)
            if (!close_file(f)) return refused(f);
        close_slots();
        settle_group();
    } else {
        close_slots();
        for (const auto& f : open_) keep(f);
    }
    open_.clear();
    return true;
}

}  // namespace salvex
