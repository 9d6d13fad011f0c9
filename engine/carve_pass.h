#pragma once
// One pass of a search, general or thorough: the list it looks for, the files it
// has open, its folder counters, file count and names, and the folder it fills.
// The search reads the range and hands the pass each sector in turn; the
// controller keeps only what the window shows.
//
// The thorough pass can so read beside the general one, from the same read of
// the card. It then holds back all the user would notice until the general pass
// has reached the end of the range: its files wait under provisional names in a
// holding folder, and what it did is noted in order (files opened, kept and
// dropped, the preview's clearing, a failure). Released, it does those again in
// that order, as if it had run after the general pass: names are given by the
// counts of that moment, files move into place, kept ones are recorded and
// handed over, a failure is told.
#include <array>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/outlets.h"
#include "engine/header_match.h"
#include "engine/open_file.h"
#include "engine/output_naming.h"
#include "engine/output_tree.h"
#include "engine/pass_start.h"
#include "engine/finish/scan_marks.h"
#include "signatures/signature_list.h"

class MyTableController;

namespace salvex {

// The finishing step: reads a carved file back and judges it as its type (an
// unknown verdict when exact files are off), and cuts it where its structure
// proved its end. The stream is flushed first; false when that failed. marks:
// what the engine noted while writing this file, or null.
bool judge_carved(std::FILE* stream, const std::string& extension, bool exact, finish::Verdict& verdict,
                  const finish::ScanMarks* marks = nullptr);

class CarvePass {
public:
    // Throws std::out_of_range when the photo engine's list is not a whole number of records.
    CarvePass(MyTableController& controller, bool general, PassStart start, SignatureList list);
    virtual ~CarvePass();
    CarvePass(const CarvePass&) = delete;
    CarvePass& operator=(const CarvePass&) = delete;

    // Each sector of the range in increasing order, as read (zeros where it could
    // not be). False when saving failed: the pass has ended and said so.
    virtual bool feed(std::uint64_t index, const std::uint8_t* sector, bool unreadable) = 0;
    // The range or the source ends here: what is open is closed and settled.
    virtual bool finish() = 0;
    // The user stopped: what was written is kept, finished like any other file.
    virtual bool stop() = 0;
    // Whether the pass still looks at sectors; a pass with nothing to look for
    // reads nothing.
    virtual bool reads() const = 0;
    // Whether the pass, left alone, reads the whole range.
    virtual bool reads_whole_range() const = 0;
    // Whether the pass counts as read to its end, the source having ended early or not.
    virtual bool read_to_end(bool source_ended) const { return !source_ended; }
    // Whether an unexpected failure inside the sector loop ends the loop without a
    // word, the last read deciding as at the end of the range; otherwise it is the
    // caller's to show.
    virtual bool fails_quietly() const { return false; }

    bool general() const { return general_; }
    const PassStart& start() const { return start_; }

    // From here on the pass holds back what the user would notice, and writes
    // its files into `holding`, a folder on the file system of the result folder.
    void hold_back(std::shared_ptr<OutputTree> holding);
    // Does what was held back, in order, into `tree`, the pass's own folder; the
    // holding folder goes. False when a held-back failure ended the pass: told now.
    bool release(std::shared_ptr<OutputTree> tree);
    // The pass would not have run: its files and the holding folder go, and
    // nothing of it is told.
    void discard();

protected:
    // A file of the pass is opened: named, counted and made.
    std::FILE* open_file(PassFile& file, Refusal& why);
    // A closed file is kept: recorded and handed over.
    void keep(const PassFile& file);
    // A closed file is not kept: it goes, and its name is free again.
    void drop(const PassFile& file);
    // Sectors of the open files that could not be read, given as zeros.
    void note_unreadable(std::uint64_t sector, const PassFile& file);
    // Every 2000 results the preview is emptied.
    void clear_preview(std::string_view notice, Outlet browser);
    // Saving failed: the user is told, the scan ends. `stream` is closed.
    bool fail(std::FILE*& stream, const Refusal& why, bool cut_short = false);
    // The sector starts a file where the general pass found one.
    bool found_by_general(std::uint64_t sector) const;

    // The name and browser id of a file, and what undoes them.
    virtual void name_file(PassFile& file) = 0;
    virtual void unname_file(const PassFile& file) = 0;
    virtual void hand_over(const PassFile& file) = 0;
    // Closes the files still open, as they stand.
    virtual void close_all() = 0;

    MyTableController& c_;
    const bool general_;
    PassStart start_;
    SignatureList list_;  // the records the pass looks for
    FolderCounterTable counters_;
    std::uint64_t file_count_ = 0;
    std::map<std::string, std::vector<std::uint64_t>> zeroed_;  // file path -> sectors given as zeros

private:
    struct Held {
        enum class Kind { open, keep, drop, clear, fail } kind;
        std::size_t file = 0;  // into held_files_
        Refusal why{};         // fail: the reason, its cause already in words
        bool cut_short = false;
        std::string notice{};  // clear
        Outlet browser{};
    };
    // The final path of a held-back path: a file's, or a folder's below the holding folder.
    std::string released_path(const std::string& held_path) const;

    std::shared_ptr<OutputTree> holding_;
    std::vector<Held> held_;
    std::vector<PassFile> held_files_;  // as opened; named when released
    std::vector<std::string> held_paths_;
};

// The photo engine: each header match starts a new file that runs until its
// type's maximum size, the next header, the end of the range or a stop.
class PhotoPass final : public CarvePass {
public:
    PhotoPass(MyTableController& controller, bool general, PassStart start, SignatureList list);
    ~PhotoPass() override;
    bool feed(std::uint64_t index, const std::uint8_t* sector, bool unreadable) override;
    bool finish() override;
    bool stop() override;
    bool reads() const override { return !search_.empty(); }
    bool reads_whole_range() const override { return reads(); }
    // An empty list reads nothing, which counts as a failed read.
    bool read_to_end(bool source_ended) const override { return !source_ended && reads(); }

private:
    void name_file(PassFile& file) override;
    void unname_file(const PassFile& file) override;
    void hand_over(const PassFile& file) override;
    void close_all() override;
    bool write(const std::uint8_t* sector);
    bool close_current();
    bool refused();

    HeaderSearch search_;
    std::unique_ptr<char[]> buffer_;
    std::FILE* out_ = nullptr;
    PassFile current_;
    bool current_named_ = false;  // current_ is a file begun and not yet settled
    std::uint64_t byte_count_ = 0, current_max_ = 0;
    bool in_file_ = false, finished_ = false;
    // A photo's scan ends are noted as its sectors go out, while they are at hand.
    finish::ScanMarks marks_;
    bool marking_ = false;
};

// The engine of the video, raw-file and audio modes: one header may start a
// group of files, one per format that shares the header, and the files of a
// group grow together until each reaches its own maximum size.
class GroupPass final : public CarvePass {
public:
    GroupPass(MyTableController& controller, bool general, PassStart start, SignatureList list);
    ~GroupPass() override;
    bool feed(std::uint64_t index, const std::uint8_t* sector, bool unreadable) override;
    bool finish() override;
    bool stop() override;
    bool reads() const override { return !list_.empty() && !list_failed_; }
    bool reads_whole_range() const override { return !list_.empty() && search_.has_value(); }
    bool fails_quietly() const override { return true; }

    static constexpr int kSlots = 30;

private:
    void name_file(PassFile& file) override;
    void unname_file(const PassFile& file) override;
    void hand_over(const PassFile& file) override;
    void close_all() override { close_slots(); }
    bool write_slot(int slot);
    bool close_file(OpenFile& file);
    std::optional<OpenFile> settle_group();
    void group_emptied();
    void close_slots();
    bool fail_writing(int slot, const Refusal& why = {}, bool cut_short = false);
    bool refused(const OpenFile& file);

    // A list that is not a whole number of records fails at the first header
    // search, as it would when its missing entries are looked up.
    std::optional<HeaderSearch> search_;
    bool list_failed_ = false;
    const std::uint8_t* sector_ = nullptr;
    std::array<std::FILE*, kSlots> streams_{};
    std::array<bool, kSlots> taken_{};
    std::array<std::unique_ptr<char[]>, kSlots> buffers_;
    bool carving_ = false, header_flag_ = false;
    std::uint64_t group_bytes_ = 0;
    OpenFileList open_;
    // Files of the open group that are closed already; with exact files on they
    // wait here until the whole group is, and is settled.
    OpenFileList closed_;
    std::set<std::string> used_paths_;
};

}  // namespace salvex
