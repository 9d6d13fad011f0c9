#pragma once
// An advisory lock on a result folder, held while the object lives: two searches
// saving into one folder would mix their files under the same names. Another
// process's lock is seen at once; nothing ever waits for one.
#include <string>

namespace salvex::platform {

class FolderLock {
public:
    FolderLock() = default;
    // Takes the lock on an existing folder.
    explicit FolderLock(const std::string& folder);
    // Takes the lock on the folder open as `folder_fd`, which stays the caller's.
    explicit FolderLock(int folder_fd);
    ~FolderLock();
    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool held() const { return fd_ >= 0; }
    // Another holder has it. A folder whose file system keeps no such locks is
    // neither held nor in use.
    bool in_use() const { return in_use_; }

private:
    FolderLock(int own_fd, bool);

    int fd_ = -1;
    bool in_use_ = false;
};

}  // namespace salvex::platform
