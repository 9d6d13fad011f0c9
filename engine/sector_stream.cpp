#include "engine/sector_stream.h"

#include <fcntl.h>
#include <unistd.h>

#include "engine/header_match.h"

namespace salvex {

std::FILE* open_sector_stream(const std::string& path, char* buffer, std::size_t size) {
    std::FILE* stream = std::fopen(path.c_str(), "rb");
    if (stream != nullptr) std::setvbuf(stream, buffer, _IOFBF, size);
    return stream;
}

bool write_sector(std::FILE* output, const std::uint8_t* sector) {
#if defined(__GLIBC__)
    // Only the scan thread writes carved files while a pass runs.
    return fwrite_unlocked(sector, kSectorSize, 1, output) == 1;
#else
    return std::fwrite(sector, kSectorSize, 1, output) == 1;
#endif
}

bool close_output(std::FILE* output) {
    bool ok = std::fflush(output) == 0;
#if defined(__linux__)
    if (ok) ::sync_file_range(::fileno(output), 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
    ok = std::fclose(output) == 0 && ok;
    return ok;
}


}  // namespace salvex
