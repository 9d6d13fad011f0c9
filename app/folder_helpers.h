#pragma once
#include <string>

// Creates the folder and any missing parents with mode 0777 (less the umask).
// True when created and also when anything, folder or file, already stands there.
bool Create_Folder(const std::string& path);
