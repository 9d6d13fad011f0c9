#include "platform/invoking_user.h"

#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include "app/numbers.h"
#include "platform/paths.h"

namespace salvex::platform {

namespace {

template <typename T>
std::optional<T> id_from_env(const char* name) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return std::nullopt;
    const auto value = parse_digits(text);
    if (!value || *value >= static_cast<std::uint64_t>(static_cast<T>(-1))) return std::nullopt;
    return static_cast<T>(*value);
}

std::optional<InvokingUser> find_invoking_user() {
    if (::geteuid() != 0) return std::nullopt;
    InvokingUser user;
    if (const auto uid = id_from_env<uid_t>("PKEXEC_UID")) {
        user.uid = *uid;
    } else if (const auto sudo_uid = id_from_env<uid_t>("SUDO_UID")) {
        user.uid = *sudo_uid;
        if (const auto gid = id_from_env<gid_t>("SUDO_GID")) user.gid = *gid;
    } else {
        return std::nullopt;
    }
    if (user.uid == 0) return std::nullopt;  // root started root: nothing to hand over
    if (const passwd* pw = ::getpwuid(user.uid)) {
        if (user.gid == static_cast<gid_t>(-1)) user.gid = pw->pw_gid;
        user.name = pw->pw_name != nullptr ? pw->pw_name : "";
        user.home = pw->pw_dir != nullptr ? pw->pw_dir : "";
    }
    return user;
}

}  // namespace

const std::optional<InvokingUser>& invoking_user() {
    static const std::optional<InvokingUser> user = find_invoking_user();
    return user;
}

void hand_to_invoking_user(int fd) {
    const auto& user = invoking_user();
    if (!user || fd < 0) return;
    [[maybe_unused]] const int ignored = ::fchown(fd, user->uid, user->gid);
}

void hand_folder_to_invoking_user(const std::string& path) {
    if (!invoking_user()) return;
    // By descriptor, and never through a link someone swapped in after mkdir.
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    hand_to_invoking_user(fd);
    ::close(fd);
}

std::string chooser_start_folder() {
    const auto& user = invoking_user();
    if (user && !user->home.empty()) return user->home;
    return home_folder();
}

}  // namespace salvex::platform
