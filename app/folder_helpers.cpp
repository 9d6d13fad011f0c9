#include "app/folder_helpers.h"

#include <cerrno>
#include <sys/stat.h>

#include "platform/invoking_user.h"

namespace {

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool make_with_parents(const std::string& path, bool for_user) {
    if (path.empty() || exists(path)) return !path.empty();
    const auto slash = path.find_last_not_of('/') == std::string::npos
                           ? std::string::npos
                           : path.find_last_of('/', path.find_last_not_of('/'));
    if (slash != std::string::npos && slash > 0 && !make_with_parents(path.substr(0, slash), for_user)) return false;
    // Another thread or process may have made it meanwhile; that is success too.
    if (::mkdir(path.c_str(), 0777) != 0) return errno == EEXIST;
    if (for_user) salvex::platform::hand_folder_to_invoking_user(path);
    return true;
}

}  // namespace

bool Create_Folder(const std::string& path) {
    if (exists(path)) return true;
    return make_with_parents(path, false);
}

bool salvex::create_user_folder(const std::string& path) {
    if (exists(path)) return true;
    return make_with_parents(path, true);
}
