// The photo carving engine: one pass over the chosen sectors, each header match
// starting a new file that runs until its type's maximum size, the next header,
// the end of the range or a stop. Each file is then finished: cut at its own end
// and kept or dropped by what its structure says.
#include <cerrno>
#include <filesystem>

#include "app/error_words.h"
#include "app/globals.h"
#include "app/my_table_controller.h"
#include "app/texts/search.h"
#include "engine/carve_pass.h"
#include "engine/finish/registry.h"
#include "engine/sector_stream.h"

namespace salvex {

PhotoPass::PhotoPass(MyTableController& controller, bool general, PassStart start, SignatureList list)
    : CarvePass(controller, general, std::move(start), std::move(list)),
      search_(decode_records(list_)),
      buffer_(new char[kOutputBufferSize]) {}

PhotoPass::~PhotoPass() { close_all(); }

void PhotoPass::close_all() {
    if (out_ != nullptr) std::fclose(out_);
    out_ = nullptr;
}

void PhotoPass::name_file(PassFile& file) {
    const std::uint64_t uid_number = general_ ? ++c_.GND_Image_number : ++c_.THD_Image_number;
    file.name = c_.Generate_File_Name(file.count, general_ ? "GND" : "THD", file.extension);
    file.uid = Generate_File_UID_Num(uid_number, !general_, file.extension);
    file.path = (start_.pass_folder / file.type_folder / file.name).string();
}

void PhotoPass::unname_file(const PassFile&) { --(general_ ? c_.GND_Image_number : c_.THD_Image_number); }

void PhotoPass::hand_over(const PassFile& file) {
    // Posted without waiting: nothing the scan does next depends on a photo being
    // listed, so a busy window never holds the search up. The clearing check waits
    // for them when they could matter.
    ++c_.photos_in_flight;
    c_.view().post([c = &c_, path = file.path, name = file.name, uid = file.uid] {
        c->addImageWithPath(path, name, uid);
        --c->photos_in_flight;
    });
}

bool PhotoPass::write(const std::uint8_t* sector) {
    if (marking_) marks_.feed(sector, kSectorSize);
    return write_sector(out_, sector);
}

// Closes the current file after finishing it, then hands it over or, when it is
// not kept, takes it back as if it had never been started. False when the
// destination refused its last bytes.
bool PhotoPass::close_current() {
    // The thorough pass brings only what the general pass could not: such a
    // find goes without being read back.
    const bool exact = start_.exact;
    const bool found_before = exact && !general_ && found_by_general(current_.start_sector);
    finish::Verdict verdict;
    if (!judge_carved(out_, current_.extension, exact && !found_before, verdict, marking_ ? &marks_ : nullptr))
        return false;
    const bool ok = close_output(out_);
    out_ = nullptr;
    if (!ok) return false;
    const bool keep_it =
        !exact || (!found_before && finish::settle({verdict}, {finish::type_of(current_.extension)}, !general_) == 0);
    if (keep_it) {
        keep(current_);
    } else {
        drop(current_);
        --file_count_;
        uncount_one_file(counters_, current_.counter_before);
    }
    current_named_ = false;
    return true;
}

// A file the disk refused is named, and is not counted as recovered.
bool PhotoPass::refused() {
    return fail(out_, {current_named_ ? current_.path : std::string(), plain_cause(errno != 0 ? errno : EIO)},
                current_named_);
}

bool PhotoPass::feed(std::uint64_t index, const std::uint8_t* sector, bool unreadable) {
    if (unreadable && in_file_) note_unreadable(index, current_);

    const int matched = is_blank(sector) ? -1 : search_.first_match(sector);
    if (matched >= 0) {
        const DecodedRecord& record = search_.records()[static_cast<std::size_t>(matched)];
        const std::string& extension = list_[record.index + kExtension];

        clear_preview(text::kThumbnailsCleared, Outlet::imageBrowser);
        if (file_count_ > 0 && !finished_) {
            // The sector holding the new header also ends the previous file.
            if (out_ != nullptr && (!write(sector) || !close_current())) return refused();
            current_named_ = false;
        }
        finished_ = false;
        in_file_ = true;
        current_ = PassFile{};
        current_.count = ++file_count_;
        current_.counter_before = counter_of(counters_, extension);
        current_.type_folder = count_one_file(counters_, extension);
        current_.extension = extension;
        current_.start_sector = index;
        byte_count_ = 0;
        current_max_ = record.max_size;
        Refusal why;
        out_ = open_file(current_, why);
        if (out_ == nullptr) return fail(out_, why);
        current_named_ = true;
        std::setvbuf(out_, buffer_.get(), _IOFBF, kOutputBufferSize);
        marking_ = start_.exact && finish::type_of(extension) == "jpg";
        marks_.restart();
    }

    if (in_file_) {
        byte_count_ += kSectorSize;
        if (byte_count_ >= current_max_) {
            byte_count_ = 0;
            if (out_ != nullptr) {
                // A buffered write meets a full disk at the flush, so the close is
                // checked too: a file cut short is never handed over as whole.
                if (!write(sector) || !close_current()) return refused();
                in_file_ = false;
                finished_ = true;
            }
        } else if (out_ != nullptr && !write(sector)) {
            return refused();
        }
    }
    return true;
}

bool PhotoPass::finish() {
    if (out_ != nullptr) {
        if (!close_current()) return refused();
        in_file_ = false;
    }
    return true;
}

// A stop keeps what was written; a file the disk refused is not handed over.
bool PhotoPass::stop() { return out_ == nullptr || close_current() || refused(); }

}  // namespace salvex
