#include "platform/raw_device.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__linux__)
#include <linux/fs.h>
#elif defined(__APPLE__)
#include <sys/disk.h>
#endif

namespace salvex::platform {

std::string raw_device_path(const std::string& identifier) {
    if (!identifier.empty() && identifier.front() == '/') return identifier;
#if defined(__APPLE__)
    return "/dev/r" + identifier;
#else
    return "/dev/" + identifier;
#endif
}

std::optional<std::uint64_t> source_size_bytes(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    if (S_ISREG(st.st_mode)) return static_cast<std::uint64_t>(st.st_size);
    if (!S_ISBLK(st.st_mode) && !S_ISCHR(st.st_mode)) return std::nullopt;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::optional<std::uint64_t> size;
#if defined(__linux__)
    std::uint64_t bytes = 0;
    if (::ioctl(fd, BLKGETSIZE64, &bytes) == 0) size = bytes;
#elif defined(__APPLE__)
    std::uint64_t count = 0;
    std::uint32_t block = 0;
    if (::ioctl(fd, DKIOCGETBLOCKCOUNT, &count) == 0 && ::ioctl(fd, DKIOCGETBLOCKSIZE, &block) == 0) size = count * block;
#endif
    ::close(fd);
    return size;
}

}  // namespace salvex::platform
