#include "platform/folder_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <utility>

namespace salvex::platform {

FolderLock::FolderLock(const std::string& folder)
    : FolderLock(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), true) {}

// A lock of its own, apart from the caller's descriptor: opened anew, not duplicated.
FolderLock::FolderLock(int folder_fd)
    : FolderLock(folder_fd < 0 ? -1 : ::openat(folder_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC), true) {}

FolderLock::FolderLock(int own_fd, bool) : fd_(own_fd) {
    if (fd_ < 0) return;
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return;
    in_use_ = errno == EWOULDBLOCK;
    ::close(fd_);
    fd_ = -1;
}

FolderLock::~FolderLock() {
    if (fd_ >= 0) ::close(fd_);  // closing lets the lock go
}

FolderLock::FolderLock(FolderLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), in_use_(std::exchange(other.in_use_, false)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        in_use_ = std::exchange(other.in_use_, false);
    }
    return *this;
}

}  // namespace salvex::platform
