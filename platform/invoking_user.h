#pragma once
// Who started a program that runs as root: pkexec and sudo both say so in the
// environment. What a scan writes belongs to that person, not to root.
#include <optional>
#include <string>
#include <sys/types.h>

namespace salvex::platform {

struct InvokingUser {
    uid_t uid = 0;
    gid_t gid = static_cast<gid_t>(-1);  // -1: leave the group as it is
    std::string name;                    // empty without a passwd entry
    std::string home;
};

// Read once per process: PKEXEC_UID, else SUDO_UID with SUDO_GID; the group
// from the passwd entry when only a uid is known. Nothing when this process is
// not root or nobody else started it.
const std::optional<InvokingUser>& invoking_user();

// Give a freshly created file or folder to the invoking user; does nothing when
// there is none. Failures are ignored: the file stays root's but is complete.
void hand_to_invoking_user(int fd);
void hand_folder_to_invoking_user(const std::string& path);

// Where the folder chooser starts: the invoking user's home, else our own.
std::string chooser_start_folder();

}  // namespace salvex::platform
