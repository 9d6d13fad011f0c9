#pragma once
#include <string>

namespace salvex::platform {

// The running executable, symbolic links resolved; empty when it cannot be told.
std::string executable_path();

// Where per-user application data lives: $XDG_DATA_HOME, else ~/.local/share
// (on macOS ~/Library/Application Support).
std::string user_data_folder();

std::string home_folder();

}  // namespace salvex::platform
