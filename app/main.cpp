// The executable inside every edition bundle: the window. The bundle it runs
// from picks the edition. With --edition-report it prints what its edition
// offers instead, for support questions and checks without a display.
// "--image FILE" lists a disk image in the device list; "--sample FILE" does so
// only when no drive is listed, which is how `make run` shows its sample card.
#include <QApplication>
#include <cstdio>
#include <cstring>

#include "app/bundle_info.h"
#include "app/edition_report.h"
#include "app/my_table_controller.h"
#include "cli/terminal_view.h"
#include "wizard/qt/main_window.h"
#include "wizard/qt/qt_view.h"

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--edition-report") == 0) {
        salvex::TerminalView terminal;
        MyTableController controller(terminal, salvex::bundle_of_running_executable());
        controller.Load_Signature_Catalogue();
        std::fputs(edition_report(controller).c_str(), stdout);
        return 0;
    }
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
