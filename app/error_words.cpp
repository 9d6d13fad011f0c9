#include "app/error_words.h"

#include <cerrno>
#include <cstring>

namespace salvex {

std::string plain_cause(int error_code) {
    switch (error_code) {
        case EROFS: return "read-only";
        case ENOSPC: return "no space left";
        case EDQUOT: return "no space left in your quota";
        case EFBIG: return "too large for its file system";
        case ENOENT: return "missing";
        case ENAMETOOLONG: return "name too long";
        case ENOTDIR: return "not a folder";
        case EISDIR: return "a folder, not a file";
        case EACCES:
        case EPERM: return "permission denied";
        case ELOOP: return "a link stands in the way";
        case EEXIST: return "already exists";
        case EIO: return "input/output error";
        case ENXIO:
        case ENODEV: return "the device is gone";
        case EMFILE:
        case ENFILE: return "too many open files";
        default: break;
    }
    std::string words = std::strerror(error_code);
    if (!words.empty() && words[0] >= 'A' && words[0] <= 'Z') words[0] = static_cast<char>(words[0] - 'A' + 'a');
    return words;
}

}  // namespace salvex
