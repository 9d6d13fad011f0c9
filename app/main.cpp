// The executable inside every edition bundle. The bundle it runs from picks the
// edition; for now it reports what that edition offers and looks for.
#include <cstdio>

#include "app/bundle_info.h"
#include "app/edition_report.h"
#include "app/my_table_controller.h"
#include "cli/terminal_view.h"

int main() {
    salvex::TerminalView view;
    MyTableController controller(view, salvex::bundle_of_running_executable());
    controller.Load_Signature_Catalogue();
    std::fputs(edition_report(controller).c_str(), stdout);
    return 0;
}
