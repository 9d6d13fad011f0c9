#include "engine/output_tree.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/folder_helpers.h"
#include "app/texts/search.h"
#include "platform/invoking_user.h"

namespace salvex {

namespace {

std::string cause(int error) { return plain_cause(error); }

// Opens the folder `name` in `dir`, making it when missing; a link is refused.
int open_sub(int dir, const std::string& dir_path, const std::string& name, Refusal& why) {
    const std::string path = dir_path + "/" + name;
    const bool made = ::mkdirat(dir, name.c_str(), 0777) == 0;
    if (!made && errno != EEXIST) {
        why = {path, cause(errno)};
        return -1;
    }
    const int fd = ::openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        why = {path, error == ELOOP || error == ENOTDIR ? std::string(text::kLinkOrFileInTheWay)
                                                         : cause(error)};
        errno = error;
        return -1;
    }
    if (made) platform::hand_to_invoking_user(fd);
    return fd;
}

// An earlier search's file of that name goes, so that a hard or symbolic link in
// its place can never lead a write elsewhere; anything but a file is refused.
bool clear_name_at(int dir, const std::string& path, const std::string& name, Refusal& why) {
    struct stat st {};
    if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(st.st_mode)) {
        why = {path, std::string(S_ISLNK(st.st_mode) ? text::kLinkInTheWay : text::kOtherInTheWay)};
        errno = EEXIST;
        return false;
    }
    if (::unlinkat(dir, name.c_str(), 0) == 0 || errno == ENOENT) return true;
    const int error = errno;
    why = {path, cause(error)};
    errno = error;
    return false;
}

// Empties the folder, `depth` levels of folders down, without following links.
void empty_folder(int dir, int depth) {
    const int listed = ::dup(dir);
    DIR* d = listed < 0 ? nullptr : ::fdopendir(listed);
    if (d == nullptr) {
        if (listed >= 0) ::close(listed);
        return;
    }
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(d))
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names.emplace_back(e->d_name);
    ::closedir(d);
    for (const std::string& name : names) {
        if (::unlinkat(dir, name.c_str(), 0) == 0 || depth == 0) continue;
        const int sub = ::openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (sub < 0) continue;
        empty_folder(sub, depth - 1);
        ::close(sub);
        ::unlinkat(dir, name.c_str(), AT_REMOVEDIR);
    }
}

}  // namespace

int create_file_at(int dir, const std::string& dir_path, const std::string& name, Refusal& why) {
    const std::string path = dir_path + "/" + name;
    constexpr int kFlags = O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::openat(dir, name.c_str(), kFlags, 0666);
    if (fd < 0 && errno == EEXIST) {
        if (!clear_name_at(dir, path, name, why)) return -1;
        fd = ::openat(dir, name.c_str(), kFlags, 0666);
    }
    if (fd < 0) {
        const int error = errno;
        why = {path, cause(error)};
        errno = error;
        return -1;
    }
    platform::hand_to_invoking_user(fd);
    return fd;
}

OutputTree::~OutputTree() {
    for (const auto& [name, fd] : subs_) ::close(fd);
    for (const int fd : chain_) ::close(fd);
}

bool OutputTree::open(const std::string& destination, const std::vector<std::string>& below, Refusal& why) {
    // The destination is the user's own choice: made with its parents when missing.
    if (!create_user_folder(destination)) {
        why = {destination, cause(errno)};
        return false;
    }
    int fd = ::open(destination.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        why = {destination, cause(errno)};
        return false;
    }
    chain_.push_back(fd);
    below_ = below;
    deepest_path_ = destination;
    for (const std::string& name : below) {
        fd = open_sub(chain_.back(), deepest_path_, name, why);
        if (fd < 0) return false;
        chain_.push_back(fd);
        deepest_path_ += "/" + name;
    }
    return true;
}

int OutputTree::sub_folder(const std::string& sub, Refusal& why) {
    if (const auto it = subs_.find(sub); it != subs_.end()) return it->second;
    const int fd = open_sub(chain_.back(), deepest_path_, sub, why);
    if (fd >= 0) subs_.emplace(sub, fd);
    return fd;
}

int OutputTree::checked_sub_folder(const std::string& sub, Refusal& why) {
    if (chain_.empty()) {
        why = {deepest_path_, std::string(text::kNoResultFolderOpen)};
        return -1;
    }
    // The folder must still be where its path says, or the hand-over would name a
    // place the file is not in.
    struct stat by_path {}, held {};
    if (::stat(deepest_path_.c_str(), &by_path) != 0 || ::fstat(chain_.back(), &held) != 0 ||
        by_path.st_dev != held.st_dev || by_path.st_ino != held.st_ino) {
        why = {deepest_path_, std::string(text::kFolderMoved)};
        errno = ENOENT;
        return -1;
    }
    return sub_folder(sub, why);
}

std::FILE* OutputTree::create(const std::string& sub, const std::string& name, Refusal& why) {
    const int dir = checked_sub_folder(sub, why);
    if (dir < 0) return nullptr;
    const int fd = create_file_at(dir, deepest_path_ + "/" + sub, name, why);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, "w+b");
    if (file == nullptr) {
        const int error = errno;
        ::close(fd);
        why = {deepest_path_ + "/" + sub + "/" + name, cause(error)};
        errno = error;
    }
    return file;
}

void OutputTree::remove(const std::string& sub, const std::string& name) {
    if (const auto it = subs_.find(sub); it != subs_.end()) ::unlinkat(it->second, name.c_str(), 0);
}

bool OutputTree::make_room(const std::string& sub, const std::string& name, Refusal& why) {
    const int dir = checked_sub_folder(sub, why);
    return dir >= 0 && clear_name_at(dir, deepest_path_ + "/" + sub + "/" + name, name, why);
}

bool OutputTree::adopt(const std::string& sub, const std::string& name, OutputTree& from, const std::string& from_sub,
                       const std::string& from_name, Refusal& why) {
    const int dir = checked_sub_folder(sub, why);
    if (dir < 0) return false;
    const int from_dir = from.sub_folder(from_sub, why);
    if (from_dir < 0) return false;
    if (::renameat(from_dir, from_name.c_str(), dir, name.c_str()) == 0) return true;
    const int error = errno;
    why = {deepest_path_ + "/" + sub + "/" + name, cause(error)};
    errno = error;
    return false;
}

void OutputTree::remove_deepest() {
    if (chain_.size() < 2) return;
    for (const auto& [name, fd] : subs_) ::close(fd);
    subs_.clear();
    empty_folder(chain_.back(), 1);
    ::close(chain_.back());
    chain_.pop_back();
    ::unlinkat(chain_.back(), below_.back().c_str(), AT_REMOVEDIR);
}

}  // namespace salvex
