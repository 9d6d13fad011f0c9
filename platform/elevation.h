#pragma once
// Starting the privileged copy of the window: exec when already root, else
// pkexec with our polkit action.
#include <string>
#include <vector>

namespace salvex::platform {

// The program's absolute path when it is on the PATH (or in /usr/bin, /bin,
// which a desktop launcher's PATH may lack); empty when it is nowhere.
std::string find_program(const std::string& name);

enum class Elevation {
    Ended,       // the privileged copy ran and ended, or authorization was refused
    NoElevator,  // not root and no pkexec: nothing was started
};

// Runs `executable` with `arguments` as root and waits for it. Returns only
// when it did not exec in place (as root it replaces this process).
Elevation run_as_administrator(const std::string& executable, const std::vector<std::string>& arguments);

}  // namespace salvex::platform
