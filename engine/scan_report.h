#pragma once
// The scan report: report.xml in each mode folder, in DFXML (the XML that
// forensic carvers and file-system tools write), one fileobject per kept file.
// The document on disk is complete at every moment, so a crash leaves a report
// that reads: entries go out with the closing part, at least twice a second
// while files are found, and all of them when the report is closed.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace salvex {

struct Refusal;

struct ReportSource {
    std::string image;  // the device or image searched
    std::uint64_t first_sector = 0, end_sector = 0;
    std::string program, version;
};

struct ReportEntry {
    std::string filename;  // relative to the report
    std::uint64_t size = 0;
    std::string pass;  // "GEN" or "THD"
    std::string type;  // "jpg"
    std::uint64_t source_offset = 0;
    std::vector<std::uint64_t> zeroed_sectors;  // unreadable sectors given as zeros
};

class ScanReport {
public:
    ScanReport() = default;
    ~ScanReport();
    ScanReport(const ScanReport&) = delete;
    ScanReport& operator=(const ScanReport&) = delete;

    // Starts a new report in the folder `dir` (path `dir_path`); false with the reason.
    bool open(int dir, const std::string& dir_path, const ReportSource& source, Refusal& why);
    bool is_open() const { return file_ != nullptr; }
    void add(const ReportEntry& entry);
    // Sectors that could not be read, said once at the end of the source part.
    void note_unreadable(std::uint64_t count, std::uint64_t first);
    void close();

private:
    static constexpr std::size_t kPendingLimit = 64 * 1024;
    static constexpr auto kWriteEvery = std::chrono::milliseconds(500);

    void write_out();

    std::FILE* file_ = nullptr;
    long body_end_ = 0;  // where the closing part starts on disk; the next entries go there
    std::string pending_;  // entries not yet on disk
    std::string unreadable_;
    std::chrono::steady_clock::time_point written_at_;
};

// Text made safe to stand between XML tags.
std::string xml_escape(const std::string& text);

}  // namespace salvex
