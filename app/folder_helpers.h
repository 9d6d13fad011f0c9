#pragma once
#include <string>

// Creates the folder and any missing parents with mode 0777 (less the umask).
// True when created and also when anything, folder or file, already stands there.
bool Create_Folder(const std::string& path);

namespace salvex {

// The same for what a scan writes: each folder it makes is handed to the user
// who started a privileged copy, so that person can open and delete the results.
bool create_user_folder(const std::string& path);

}  // namespace salvex
