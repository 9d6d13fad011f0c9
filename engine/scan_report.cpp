#include "engine/scan_report.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <unistd.h>

#include "engine/output_tree.h"

namespace salvex {

std::string xml_escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default:
                // Control characters have no place in XML 1.0.
                if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') out += '?';
                else out += c;
        }
    }
    return out;
}

ScanReport::~ScanReport() { close(); }

bool ScanReport::open(int dir, const std::string& dir_path, const ReportSource& source, Refusal& why) {
    close();
    const int fd = create_file_at(dir, dir_path, "report.xml", why);
    if (fd < 0) return false;
    file_ = ::fdopen(fd, "w");
    if (file_ == nullptr) {
        ::close(fd);
        why = {dir_path + "/report.xml", "cannot be written"};
        return false;
    }
    char when[32] = "";
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    if (::gmtime_r(&now, &utc) != nullptr) std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", &utc);
    std::fprintf(file_,
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                 "<dfxml xmloutputversion=\"1.0\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
                 "  <metadata>\n    <dc:type>Carve Report</dc:type>\n  </metadata>\n"
                 "  <creator>\n    <program>%s</program>\n    <version>%s</version>\n"
                 "    <execution_environment>\n      <start_time>%s</start_time>\n    </execution_environment>\n"
                 "  </creator>\n"
                 "  <source>\n    <image_filename>%s</image_filename>\n    <sectorsize>512</sectorsize>\n"
                 "    <range first_sector=\"%llu\" end_sector=\"%llu\"/>\n  </source>\n",
                 xml_escape(source.program).c_str(), xml_escape(source.version).c_str(), when,
                 xml_escape(source.image).c_str(), static_cast<unsigned long long>(source.first_sector),
                 static_cast<unsigned long long>(source.end_sector));
    body_end_ = std::ftell(file_);
    pending_.clear();
    write_out();
    return true;
}

void ScanReport::add(const ReportEntry& e) {
    if (file_ == nullptr) return;
    char line[512];
    const auto put = [&](int n) {
        if (n > 0) pending_.append(line, std::min<std::size_t>(static_cast<std::size_t>(n), sizeof line - 1));
    };
    pending_ += "  <fileobject>\n    <filename>" + xml_escape(e.filename) + "</filename>\n";
    put(std::snprintf(line, sizeof line,
                      "    <filesize>%llu</filesize>\n    <pass>%s</pass>\n    <type>%s</type>\n"
                      "    <byte_runs>\n      <byte_run file_offset=\"0\" img_offset=\"%llu\" len=\"%llu\"/>\n"
                      "    </byte_runs>\n",
                      static_cast<unsigned long long>(e.size), e.pass.c_str(), xml_escape(e.type).c_str(),
                      static_cast<unsigned long long>(e.source_offset), static_cast<unsigned long long>(e.size)));
    for (const std::uint64_t s : e.zeroed_sectors)
        put(std::snprintf(line, sizeof line, "    <unreadable_sector>%llu</unreadable_sector>\n",
                          static_cast<unsigned long long>(s)));
    pending_ += "  </fileobject>\n";
    if (pending_.size() >= kPendingLimit || std::chrono::steady_clock::now() - written_at_ >= kWriteEvery) write_out();
}

void ScanReport::note_unreadable(std::uint64_t count, std::uint64_t first) {
    if (count == 0) return;
    unreadable_ = "  <unreadable_sectors count=\"" + std::to_string(count) + "\" first=\"" + std::to_string(first) +
                  "\"/>\n";
    if (file_ != nullptr) write_out();
}

void ScanReport::write_out() {
    // The entries and the closing part go out in one piece over the last closing
    // part, which can only grow shorter by losing the unreadable line, never taken back.
    pending_ += unreadable_;
    pending_ += "</dfxml>\n";
    std::fseek(file_, body_end_, SEEK_SET);
    std::fwrite(pending_.data(), 1, pending_.size(), file_);
    std::fflush(file_);
    body_end_ += static_cast<long>(pending_.size() - unreadable_.size() - std::strlen("</dfxml>\n"));
    pending_.clear();
    written_at_ = std::chrono::steady_clock::now();
}

void ScanReport::close() {
    if (file_ == nullptr) return;
    if (!pending_.empty()) write_out();
    std::fclose(file_);
    file_ = nullptr;
}

}  // namespace salvex
