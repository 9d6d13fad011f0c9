// Every finishing unit over fuzzed carved runs: no crash, no read past the run,
// no end past it. The first byte picks the type the run is asked as.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/finish/registry.h"
#include "engine/finish/scan_marks.h"

namespace {

constexpr std::string_view kTypes[] = {
    "jpg", "png",  "gif",  "bmp",  "tif",  "cr2",  "orf", "rw2", "raf",  "x3f", "crw", "mrw", "psd", "psb",
    "webp", "avi", "wav",  "aiff", "aifc", "mp4",  "mov", "m4v", "3gp",  "3g2", "m4a", "m4b", "heic", "heif",
    "avif", "cr3", "mkv",  "webm", "asf",  "wmv",  "wma", "flv", "mxf",  "ogg", "opus", "flac", "mp3", "aac",
    "mpg", "ts",   "mts",  "mid",  "amr",  "awb",  "pdf", "zip", "docx", "xlsx", "pptx", "odt", "ods", "odp",
    "epub", "doc", "xls",  "ppt",  "rtf",  "sqlite", "7z", "gz", "rar",  "tar"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return -1;
    const std::string_view type = kTypes[data[0] % std::size(kTypes)];
    // The source hands out nothing past the run, whatever a unit asks for.
    salvex::finish::MemorySource run(data + 1, size - 1);
    const salvex::finish::Verdict v = salvex::finish::unit_for(type)(run, type);
    if (v.end > run.size()) std::abort();
    if (type == "jpg") {
        // Marks noted while writing, fed in two pieces, must lead to the same verdict.
        struct Noted final : salvex::finish::ByteSource {
            salvex::finish::MemorySource& plain;
            salvex::finish::ScanMarks marks;
            explicit Noted(salvex::finish::MemorySource& p) : plain(p) {}
            std::uint64_t size() const override { return plain.size(); }
            std::size_t read(std::uint64_t o, void* out, std::size_t n) override { return plain.read(o, out, n); }
            const salvex::finish::ScanMarks* scan_marks() const override { return &marks; }
        } noted(run);
        const std::size_t split = (size - 1) / 3;
        noted.marks.feed(data + 1, split);
        noted.marks.feed(data + 1 + split, size - 1 - split);
        const salvex::finish::Verdict w = salvex::finish::unit_for(type)(noted, type);
        if (w.status != v.status || w.end != v.end) std::abort();
    }
    return 0;
}
