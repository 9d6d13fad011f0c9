#include "platform/shell_runner.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <initializer_list>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/text_helpers.h"

extern char** environ;

namespace salvex::platform {

namespace {

std::vector<char*> argv_of(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    return argv;
}

// What the child's standard streams and signals start as; anything not set is
// inherited from this process.
class ChildSetup {
public:
    ChildSetup() {
        posix_spawn_file_actions_init(&actions_);
        posix_spawnattr_init(&attributes_);
    }
    ~ChildSetup() {
        posix_spawn_file_actions_destroy(&actions_);
        posix_spawnattr_destroy(&attributes_);
    }
    ChildSetup(const ChildSetup&) = delete;
    ChildSetup& operator=(const ChildSetup&) = delete;

    void stream_from(int fd, int child_fd) { posix_spawn_file_actions_adddup2(&actions_, fd, child_fd); }
    void stream_to_null(int child_fd) {
        posix_spawn_file_actions_addopen(&actions_, child_fd, "/dev/null", O_WRONLY, 0);
    }
    void default_signals(std::initializer_list<int> signals) {
        sigset_t set;
        sigemptyset(&set);
        for (const int signal : signals) sigaddset(&set, signal);
        posix_spawnattr_setsigdefault(&attributes_, &set);
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGDEF);
    }

    // The child's id, or -1 when it could not start.
    pid_t start(const std::vector<std::string>& arguments) {
        if (arguments.empty()) return -1;
        auto argv = argv_of(arguments);
        pid_t pid = -1;
        return ::posix_spawn(&pid, argv[0], &actions_, &attributes_, argv.data(), environ) == 0 ? pid : -1;
    }

private:
    posix_spawn_file_actions_t actions_;
    posix_spawnattr_t attributes_;
};

// Its wait status; -1 when there was nothing to wait for.
int wait_for(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return status;
}

}  // namespace

ShellTask taskForShellCommand(const std::string& command_line) { return {{"/bin/sh", "-c", command_line}}; }

std::string run_and_collect_output(const ShellTask& task) {
    int input[2], output[2];
    if (::pipe2(input, O_CLOEXEC) != 0) return {};
    if (::pipe2(output, O_CLOEXEC) != 0) {
        ::close(input[0]);
        ::close(input[1]);
        return {};
    }
    pid_t pid = -1;
    {
        ChildSetup setup;
        setup.stream_from(input[0], STDIN_FILENO);
        setup.stream_from(output[1], STDOUT_FILENO);
        setup.stream_from(output[1], STDERR_FILENO);
        pid = setup.start(task.arguments);
    }
    ::close(input[0]);
    ::close(input[1]);  // the child reads end of input at once
    ::close(output[1]);

    std::string collected;
    if (pid > 0) {
        char chunk[65536];
        for (;;) {
            const ssize_t n = ::read(output[0], chunk, sizeof chunk);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            collected.append(chunk, static_cast<std::size_t>(n));
        }
        wait_for(pid);  // no zombie is left behind; the status itself is not used
    }
    ::close(output[0]);
    // Output that is not UTF-8 keeps its readable parts.
    return is_valid_utf8(collected) ? collected : to_utf8(to_utf16(collected));
}

std::string executeShellCommandSynchronously(const std::string& command_line) {
    return run_and_collect_output(taskForShellCommand(command_line));
}

int run_and_wait(const std::vector<std::string>& arguments, bool quiet) {
    pid_t pid = -1;
    {
        ChildSetup setup;
        if (quiet) setup.stream_to_null(STDOUT_FILENO);
        setup.default_signals({SIGINT, SIGTERM, SIGHUP});
        pid = setup.start(arguments);
    }
    if (pid <= 0) return -1;
    const int status = wait_for(pid);
    return status >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void run_in_place(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return;
    auto argv = argv_of(arguments);
    ::execv(argv[0], argv.data());
}

}  // namespace salvex::platform
