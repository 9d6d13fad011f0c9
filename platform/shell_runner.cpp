#include "platform/shell_runner.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/text_helpers.h"

extern char** environ;

namespace salvex::platform {

ShellTask taskForShellCommand(const std::string& command_line) { return {{"/bin/sh", "-c", command_line}}; }

std::string run_and_collect_output(const ShellTask& task) {
    int input[2], output[2];
    if (::pipe2(input, O_CLOEXEC) != 0) return {};
    if (::pipe2(output, O_CLOEXEC) != 0) {
        ::close(input[0]);
        ::close(input[1]);
        return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDERR_FILENO);

    std::vector<char*> argv;
    for (const auto& a : task.arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = argv.size() > 1 ? ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) : EINVAL;
    posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
    ::close(input[1]);  // the child reads end of input at once
    ::close(output[1]);

    std::string collected;
    if (spawned == 0) {
        char chunk[65536];
        for (;;) {
            const ssize_t n = ::read(output[0], chunk, sizeof chunk);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            collected.append(chunk, static_cast<std::size_t>(n));
        }
        int status = 0;
        ::waitpid(pid, &status, 0);  // no zombie is left behind; the status itself is not used
    }
    ::close(output[0]);
    // Output that is not UTF-8 keeps its readable parts.
    return is_valid_utf8(collected) ? collected : to_utf8(to_utf16(collected));
}

std::string executeShellCommandSynchronously(const std::string& command_line) {
    return run_and_collect_output(taskForShellCommand(command_line));
}

}  // namespace salvex::platform
