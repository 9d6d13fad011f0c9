// Every finishing unit over fuzzed carved runs: no crash, no read past the run,
// no end past it. The first byte picks the type the run is asked as.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/finish/registry.h"

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
    return 0;
}
