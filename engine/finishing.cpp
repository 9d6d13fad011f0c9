// The finishing step on the scan thread: between a carved file's close and its
// hand-over, its own structure decides its type and its end.
#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

#include "app/my_table_controller.h"
#include "engine/finish/file_source.h"
#include "engine/finish/registry.h"

namespace fin = salvex::finish;

bool MyTableController::Judge_Carved(std::FILE* stream, const std::string& extension, bool exact, fin::Verdict& verdict,
                                     const fin::ScanMarks* marks) {
    verdict = fin::unknown();
    if (std::fflush(stream) != 0) return false;
    if (!exact) return true;
    const std::string type = fin::type_of(extension);
    const fin::Unit unit = fin::unit_for(type);
    if (unit == nullptr) return true;
    const int fd = ::fileno(stream);
    fin::FileSource source(fd, marks);
    verdict = unit(source, type);
    if (verdict.end > source.size()) verdict.end = 0;  // a unit never proves an end past what was written
    // Cut before the close, so the hand-over and the report see the final size.
    if (verdict.status == fin::Status::confirmed && verdict.end > 0 && verdict.end < source.size()) {
        if (::ftruncate(fd, static_cast<off_t>(verdict.end)) != 0) verdict.end = 0;
    }
    return true;
}

bool MyTableController::Found_By_General(std::uint64_t first_sector) const {
    return std::binary_search(general_starts_.begin(), general_starts_.end(), first_sector);
}

void MyTableController::Record_Kept(const PassStart& pass, bool general, const std::string& type_folder,
                                    const std::string& name, const std::string& extension,
                                    std::uint64_t first_sector) {
    ++(general ? scan_tally.general_files : scan_tally.thorough_files);
    if (general && (general_starts_.empty() || general_starts_.back() < first_sector))
        general_starts_.push_back(first_sector);
    const std::string path = (pass.pass_folder / type_folder / name).string();
    std::vector<std::uint64_t> zeroed;
    if (const auto it = zeroed_.find(path); it != zeroed_.end()) {
        zeroed = std::move(it->second);
        zeroed_.erase(it);
        scan_tally.files_with_zeros.push_back(path);
    }
    if (report_ == nullptr || !report_->is_open()) return;
    struct stat st {};
    const std::uint64_t size = ::stat(path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    report_->add({.filename = pass.pass_folder_name + "/" + type_folder + "/" + name,
                  .size = size,
                  .pass = general ? "GEN" : "THD",
                  .type = fin::type_of(extension),
                  .source_offset = first_sector * salvex::kSectorSize,
                  .zeroed_sectors = std::move(zeroed)});
}

void MyTableController::Note_Unreadable(std::uint64_t sector, const std::vector<std::string>& open_files) {
    for (const std::string& path : open_files) zeroed_[path].push_back(sector);
}
