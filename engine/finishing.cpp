// The finishing step on the scan thread: between a carved file's close and its
// hand-over, its own structure decides its type and its end.
#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

#include "app/my_table_controller.h"
#include "engine/carve_pass.h"
#include "engine/finish/file_source.h"
#include "engine/finish/registry.h"

using salvex::PassStart;

namespace fin = salvex::finish;

bool salvex::judge_carved(std::FILE* stream, const std::string& extension, bool exact, fin::Verdict& verdict,
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

void MyTableController::record_kept(const PassStart& pass, bool general, const salvex::PassFile& file,
                                    std::vector<std::uint64_t> zeroed) {
    ++(general ? scan_tally.general_files : scan_tally.thorough_files);
    if (!zeroed.empty()) scan_tally.files_with_zeros.push_back(file.path);
    if (report_ == nullptr || !report_->is_open()) return;
    struct stat st {};
    const std::uint64_t size = ::stat(file.path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    report_->add({.filename = pass.pass_folder_name + "/" + file.type_folder + "/" + file.name,
                  .size = size,
                  .pass = general ? "GEN" : "THD",
                  .type = fin::type_of(file.extension),
                  .source_offset = file.start_sector * salvex::kSectorSize,
                  .zeroed_sectors = std::move(zeroed)});
}
