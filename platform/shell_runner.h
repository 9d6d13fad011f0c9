#pragma once
// Running small system commands and collecting what they print.
#include <string>
#include <vector>

namespace salvex::platform {

// A prepared, not yet started child: /bin/sh -c <command line>, input from the null device.
struct ShellTask {
    std::vector<std::string> arguments;  // the program first, by absolute path
};
ShellTask taskForShellCommand(const std::string& command_line);

// Starts the task with a fresh pipe as its input and one shared pipe for output
// and errors, and returns everything it printed, as UTF-8 text. The exit status
// is not looked at.
std::string executeShellCommandSynchronously(const std::string& command_line);
std::string run_and_collect_output(const ShellTask& task);

}  // namespace salvex::platform
