// The executable inside every edition bundle: the window. The bundle it runs
// from picks the edition. With --edition-report it prints what its edition
// offers instead, for support questions and checks without a display.
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
    view.window().show();
    return QApplication::exec();
}
