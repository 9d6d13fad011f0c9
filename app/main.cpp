// The executable inside every edition bundle. Started with one to three
// arguments (as a desktop launcher or a user starts it), it only obtains
// administrator rights and starts itself again with "a", "b", "c" followed by
// its own arguments; with any other count it is that privileged copy and runs
// the window. The bundle it runs from picks the edition. Among the options after
// the three, --edition-report prints what the edition offers instead of
// opening the window, for support questions and checks without a display.
// "--image FILE" lists a disk image in the device list; "--sample FILE" does so
// only when no drive is listed, which is how `make run` shows its sample card.
#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/bundle_info.h"
#include "app/edition_report.h"
#include "app/my_table_controller.h"
#include "app/texts/window.h"
#include "cli/terminal_view.h"
#include "platform/elevation.h"
#include "platform/paths.h"
#include "results/qt/qt_text.h"
#include "wizard/qt/main_window.h"
#include "wizard/qt/qt_view.h"

using salvex::edition_report;

namespace {

// The first copy: never a window of its own, except to say what is missing.
[[noreturn]] void launch_privileged_copy(int argc, char** argv) {
    std::string self = salvex::platform::executable_path();
    if (self.empty()) self = argv[0];
    std::vector<std::string> arguments{"a", "b", "c"};
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    if (salvex::platform::run_as_administrator(self, arguments) == salvex::platform::Elevation::NoElevator) {
        std::fprintf(stderr, "%s\n", std::string(salvex::text::kNoElevator).c_str());
        QApplication app(argc, argv);
        QMessageBox::critical(nullptr, salvex::gui::qs(salvex::text::kNoElevatorTitle),
                              salvex::gui::qs(salvex::text::kNoElevator));
    }
    // Nothing of ours to clean up, and nothing may outlive the refusal.
    std::_Exit(0);
}

bool has_option(int argc, char** argv, const char* option) {
    for (int i = 4; i < argc; ++i)
        if (std::strcmp(argv[i], option) == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 1 && argc <= 3) launch_privileged_copy(argc, argv);

    if (has_option(argc, argv, "--edition-report")) {
        salvex::TerminalView terminal;
        MyTableController controller(terminal, salvex::bundle_of_running_executable());
        controller.load_signature_catalogue();
        std::fputs(edition_report(controller).c_str(), stdout);
        return 0;
    }
    // Started through pkexec the display variables are all that is left, and a
    // root client cannot use the user's Wayland socket anyway: X it is, which
    // under a Wayland desktop means XWayland.
    if (std::getenv("PKEXEC_UID") != nullptr) ::setenv("QT_QPA_PLATFORM", "xcb", 0);
    QApplication app(argc, argv);
    salvex::gui::QtView view;
    MyTableController controller(view, salvex::bundle_of_running_executable());
    view.attach(controller);
    controller.awakeFromNib();
    for (int i = 1; i + 1 < argc; ++i) {
        const bool image = std::strcmp(argv[i], "--image") == 0, sample = std::strcmp(argv[i], "--sample") == 0;
        if (image || (sample && controller.nsMutaryOfDataObject.empty())) view.add_disk_image_path(argv[i + 1]);
    }
    view.window().show();
    return QApplication::exec();
}
