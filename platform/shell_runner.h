#pragma once
// The one place that starts child processes: run to their end, with what they
// print collected or not, or in place of this process.
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

// Runs a program (the first argument, by absolute path) to its end, its output
// to the null device when `quiet`, errors where ours go. Its exit status, or -1
// when it could not start or did not exit by itself. SIGINT, SIGTERM and SIGHUP
// are the child's to act on as usual even while this process ignores them.
int run_and_wait(const std::vector<std::string>& arguments, bool quiet = true);

// Replaces this process with the program; returns only when it could not start.
void run_in_place(const std::vector<std::string>& arguments);

}  // namespace salvex::platform
