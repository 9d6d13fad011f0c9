// The bundle executable's start: one to three arguments go through the elevator
// (a recording stand-in for pkexec, first on the PATH), four or more run directly.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "support/shell.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace salvex::test;

// The build folder may lie where a desktop user cannot go (CI's clone under
// /root): the bundle is started from a copy under /tmp that everyone can enter.
struct BundleCopy {
    TempFolder folder{"/tmp"};
    std::string exe;
    BundleCopy() {
        const std::string name = "Salvex Alder Recovery";
        fs::copy(std::string(SALVEX_BIN_DIR) + "/" + name + ".app", folder / (name + ".app"), fs::copy_options::recursive);
        exe = folder / (name + ".app/Contents/MacOS/" + name);
        // Whatever the umask the build ran under.
        ::chmod(folder.path().c_str(), 0755);
        for (const auto& entry : fs::recursive_directory_iterator(folder.path()))
            ::chmod(entry.path().c_str(), entry.is_directory() || entry.path() == exe ? 0755 : 0644);
    }
};
// Made on first use: the other tests of this program need no copy.
const std::string& exe() {
    static const BundleCopy copy;
    return copy.exe;
}

// Every stand-in appends one line to the log: its name and its arguments.
std::string recorder(const std::string& name, const std::string& body) {
    return "#!/bin/sh\nd=$(dirname \"$0\")\necho \"" + name + " $*\" >> \"$d/log\"\n" + body;
}

struct Elevator {
    TempFolder folder;
    Elevator() {
        folder.write("pkexec", recorder("pkexec", "env > \"$d/env\"\nexit ${FAKE_STATUS:-0}\n"));
        folder.write("xhost", recorder("xhost", "[ $# -eq 0 ] && echo 'access control enabled'\nexit 0\n"));
        folder.write("log", "");
        // The first copy may run as nobody, who must reach and write all this.
        ::chmod(folder.path().c_str(), 0777);
        for (const char* name : {"pkexec", "xhost"}) ::chmod((folder / name).c_str(), 0755);
        ::chmod((folder / "log").c_str(), 0666);
    }
    std::string log() const { return slurp(folder / "log"); }
    std::string env() const { return fs::exists(folder / "env") ? slurp(folder / "env") : ""; }
};

// The elevator is only asked by someone who is not root; root tries it as nobody.
std::string as_user_prefix() {
    if (::geteuid() != 0) return "";
    return "setpriv --reuid=65534 --regid=65534 --clear-groups ";
}

bool nobody_can_run_the_bundle() { return run(as_user_prefix() + "test -x " + quote(exe())).status == 0; }

TEST(Launch, OneToThreeArgumentsGoThroughTheElevatorAndNeverOpenAWindow) {
    ASSERT_TRUE(nobody_can_run_the_bundle()) << exe();
    struct Case {
        std::string arguments, status, expected_log;
    };
    // Not installed, so no polkit action names it: env carries the display through pkexec.
    const std::string self = "pkexec /usr/bin/env DISPLAY=:5 XAUTHORITY=/tmp/xa " + exe() + " a b c";
    for (const Case& c : {Case{"", "0", self + "\n"}, Case{" x", "126", self + " x\n"},
                          Case{" x 'y z'", "127", self + " x y z\n"}, Case{" x", "1", self + " x\n"}}) {
        Elevator elevator;
        // An unknown platform makes any window abort the process: a clean 0 means none was made.
        const Ran ran = run("env -i PATH=" + quote(elevator.folder.path()) + ":/usr/bin:/bin DISPLAY=:5 XAUTHORITY=/tmp/xa " +
                            "QT_QPA_PLATFORM=no-such-platform FAKE_STATUS=" + c.status + " " + as_user_prefix() +
                            quote(exe()) + c.arguments);
        EXPECT_EQ(ran.status, 0) << c.arguments << ": " << ran.output;
        EXPECT_EQ(ran.output, "") << c.arguments;
        EXPECT_EQ(elevator.log(), c.expected_log) << c.arguments;
        EXPECT_NE(elevator.env().find("DISPLAY=:5\n"), std::string::npos);
        EXPECT_NE(elevator.env().find("XAUTHORITY=/tmp/xa\n"), std::string::npos);
    }
}

TEST(Launch, UnderWaylandRootGetsTheDisplayForTheWindowsLifeOnly) {
    ASSERT_TRUE(nobody_can_run_the_bundle()) << exe();
    Elevator elevator;
    const Ran ran = run("env -i PATH=" + quote(elevator.folder.path()) + ":/usr/bin:/bin DISPLAY=:5 WAYLAND_DISPLAY=wayland-0 " +
                        "QT_QPA_PLATFORM=no-such-platform FAKE_STATUS=126 " + as_user_prefix() + quote(exe()));
    EXPECT_EQ(ran.status, 0) << ran.output;
    EXPECT_EQ(elevator.log(),
              "xhost \nxhost +SI:localuser:root\npkexec /usr/bin/env DISPLAY=:5 " + exe() + " a b c\nxhost -SI:localuser:root\n");
}

TEST(Launch, FourOrMoreArgumentsRunDirectlyAndRootExecsItselfWithoutAsking) {
    Elevator elevator;
    const std::string env = "env -i PATH=" + quote(elevator.folder.path()) + ":/usr/bin:/bin XDG_DATA_HOME=" +
                            quote(elevator.folder.path()) + " QT_QPA_PLATFORM=no-such-platform ";
    const Ran direct = run(env + quote(exe()) + " a b c --edition-report");
    EXPECT_EQ(direct.status, 0) << direct.output;
    EXPECT_NE(direct.output.find("Long name:      Salvex Alder Recovery\n"), std::string::npos) << direct.output;
    if (::geteuid() == 0) {
        // Root: the same report through the relaunch, and the elevator never asked.
        const Ran relaunched = run(env + quote(exe()) + " --edition-report");
        EXPECT_EQ(relaunched.status, 0);
        EXPECT_EQ(relaunched.output, direct.output);
    }
    EXPECT_EQ(elevator.log(), "");
}

}  // namespace
