#include "bench/bench_files.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#if defined(__linux__)
#include <linux/fs.h>
#endif

namespace salvex::bench {

namespace fs = std::filesystem;

namespace {

constexpr double kMegabyte = 1e6;
constexpr std::size_t kChunk = 4u << 20;

}  // namespace

bool ensure_pattern_image(const fs::path& path, std::uint64_t bytes, bool random) {
    std::error_code ec;
    if (fs::is_regular_file(path, ec) && fs::file_size(path, ec) == bytes) return true;
    std::printf("Making %s (%.0f MB, once)...\n", path.c_str(), static_cast<double>(bytes) / kMegabyte);
    std::fflush(stdout);
    const fs::path temporary = path.string() + ".tmp";
    std::FILE* f = std::fopen(temporary.c_str(), "wb");
    if (f == nullptr) return false;
    std::vector<std::uint64_t> chunk(kChunk / sizeof(std::uint64_t), 0);
    std::uint64_t state = 0x5A17E5BE4C4ull;  // fixed seed: every run scans the same bytes
    bool ok = true;
    for (std::uint64_t done = 0; ok && done < bytes; done += kChunk) {
        if (random) {
            for (auto& word : chunk) {  // splitmix64
                std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
                z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
                z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
                word = z ^ (z >> 31);
            }
        }
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, bytes - done));
        ok = std::fwrite(chunk.data(), 1, n, f) == n;
    }
    ok = std::fclose(f) == 0 && ok;
    if (ok) fs::rename(temporary, path, ec);
    return ok && !ec;
}

void read_through(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    std::unique_ptr<char[]> buffer(new char[kChunk]);
    while (::read(fd, buffer.get(), kChunk) > 0) {
    }
    ::close(fd);
}

void remove_and_flush(const fs::path& path) {
    std::error_code ec;
    fs::remove_all(path, ec);
    // The deletion's own write-back must not be charged to the next timing.
    ::sync();
}

// On ext4 without a journal each new file steps over the inodes deleted a
// moment before, a cost a user's single scan never pays. With the top-folder
// flag on the output folder ext4 puts each new folder made in it, and so each
// run's output, in a block group of its own, away from what the last run freed.
void spread_subfolders(const fs::path& folder) {
#if defined(__linux__)
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    int flags = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_TOPDIR_FL) == 0) {
        flags |= FS_TOPDIR_FL;
        ::ioctl(fd, FS_IOC_SETFLAGS, &flags);  // other file systems have no such flag: no harm
    }
    ::close(fd);
#else
    (void)folder;
#endif
}

}  // namespace salvex::bench
