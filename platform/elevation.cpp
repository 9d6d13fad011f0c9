#include "platform/elevation.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "platform/shell_runner.h"

namespace salvex::platform {

namespace {

bool is_executable_file(const std::string& path) { return ::access(path.c_str(), X_OK) == 0; }

// A root client cannot reach the user's Wayland socket, so the privileged copy
// draws through XWayland, and root needs leave to use that X display. The grant
// names root alone (server-interpreted, not host-based) and is taken back when
// the window closes, unless it was there before we came.
struct DisplayGrant {
    std::string xhost;
    bool granted = false;

    DisplayGrant() {
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        const char* display = std::getenv("DISPLAY");
        if (wayland == nullptr || *wayland == '\0' || display == nullptr || *display == '\0') return;
        xhost = find_program("xhost");
        if (xhost.empty()) return;
        if (run_and_collect_output(ShellTask{{xhost}}).find("SI:localuser:root") != std::string::npos) return;
        granted = run_and_wait({xhost, "+SI:localuser:root"}) == 0;
    }
    ~DisplayGrant() {
        if (granted) run_and_wait({xhost, "-SI:localuser:root"});
    }
    DisplayGrant(const DisplayGrant&) = delete;
    DisplayGrant& operator=(const DisplayGrant&) = delete;
};

// Whether an installed polkit action names this program (exec.path), and so
// lets pkexec keep the display variables for it (allow_gui).
bool polkit_action_names(const std::string& executable) {
    std::error_code ec;
    const std::string wanted = ">" + executable + "<";
    for (const auto& entry : std::filesystem::directory_iterator("/usr/share/polkit-1/actions", ec)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (text.find(wanted) != std::string::npos) return true;
    }
    return false;
}

}  // namespace

std::string find_program(const std::string& name) {
    std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    path += ":/usr/bin:/bin";
    std::size_t from = 0;
    while (from <= path.size()) {
        const std::size_t colon = std::min(path.find(':', from), path.size());
        const std::string folder = path.substr(from, colon - from);
        from = colon + 1;
        if (folder.empty() || folder[0] != '/') continue;  // pkexec wants absolute paths, and so do we
        const std::string candidate = folder + "/" + name;
        if (is_executable_file(candidate)) return candidate;
    }
    return {};
}

Elevation run_as_administrator(const std::string& executable, const std::vector<std::string>& arguments) {
    std::vector<std::string> command{executable};
    command.insert(command.end(), arguments.begin(), arguments.end());
    if (::geteuid() == 0) {
        run_in_place(command);
        return Elevation::Ended;  // could not start: ends as quietly as a refusal
    }
    const std::string pkexec = find_program("pkexec");
    if (pkexec.empty()) return Elevation::NoElevator;
    // A build that is not installed has no action of its own, and pkexec's
    // default one clears the display variables; env hands them on.
    if (!polkit_action_names(executable)) {
        std::vector<std::string> with_display{find_program("env")};
        for (const char* name : {"DISPLAY", "XAUTHORITY"})
            if (const char* value = std::getenv(name); value != nullptr && *value != '\0')
                with_display.push_back(std::string(name) + "=" + value);
        command.insert(command.begin(), with_display.begin(), with_display.end());
    }
    command.insert(command.begin(), pkexec);
    // We wait for pkexec (and so for the window) rather than leave at once: the
    // display grant must be taken back when the window closes, and pkexec's own
    // text prompt, when no desktop agent answers, needs its terminal's owner to stay.
    // A refusal (126) or a dismissed prompt (127) ends like any other run.
    // Ctrl-C in a terminal, or the session ending, reaches the window and pkexec
    // too; this copy outlives them to take the display grant back.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, SIG_IGN);
    const DisplayGrant grant;
    run_and_wait(command, false);
    return Elevation::Ended;
}

}  // namespace salvex::platform
