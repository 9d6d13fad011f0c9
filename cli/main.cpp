// salvex-scan: the controller in a terminal.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/bundle_info.h"
#include "app/edition_profile.h"
#include "app/edition_report.h"
#include "app/globals.h"
#include "app/my_table_controller.h"
#include "app/texts/salvex_scan.h"
#include "cli/device_listing.h"
#include "cli/file_types.h"
#include "cli/options.h"
#include "cli/progress_line.h"
#include "cli/scan_command.h"
#include "cli/terminal_view.h"
#include "platform/paths.h"

using salvex::edition_report;
using salvex::kPhotoMode;

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    const auto parsed = salvex::cli::parse_options(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::fputs(salvex::text::usage_error_line(parsed.error).c_str(), stderr);
        return 2;
    }
    const auto& options = *parsed.options;
    if (options.help) {
        std::fputs(salvex::cli::usage_text().c_str(), stdout);
        return 0;
    }

    // The edition bundles stand beside salvex-scan.
    const auto* edition = salvex::select_edition(options.edition);
    const fs::path bundle_path =
        fs::path(salvex::platform::executable_path()).parent_path() / (std::string(edition->long_name) + ".app");
    if (!fs::is_directory(bundle_path)) {
        std::fputs(salvex::text::error_line(salvex::text::edition_missing(edition->key, bundle_path.string())).c_str(),
                   stderr);
        return 1;
    }

    salvex::TerminalView view;
    MyTableController controller(view, salvex::bundle_at(bundle_path.string()));
    controller.load_signature_catalogue();
    if (options.list_devices) {
        controller.Reload_Drive_list_Function();
        salvex::cli::print_device_list(controller);
        return 0;
    }
    if (options.list_signatures) {
        std::fputs(edition_report(controller).c_str(), stdout);
        return 0;
    }
    // A signature file of the chosen mode that gave nothing would make the search find nothing: say so first.
    bool unusable = false;
    for (const auto& problem : controller.signature_file_problems)
        if (options.mode == "all" || problem.mode == salvex::cli::mode_number(options.mode)) {
            std::fputs(salvex::text::error_line(problem.path + ": " + problem.cause).c_str(), stderr);
            unusable = true;
        }
    if (unusable) return 1;
    if (const int status = salvex::cli::choose_mode_and_types(options, controller, !options.list_types); status != 0)
        return status;
    if (options.list_types) {
        if (options.mode == "all") {
            salvex::cli::print_every_type_list(controller);
            return 0;
        }
        if (Recovery_MODE == kPhotoMode) {
            std::fputs(edition_report(controller).c_str(), stdout);  // photo mode has no check list: all types
            return 0;
        }
        salvex::cli::print_type_list(controller);
        return 0;
    }
    view.show_progress_with(salvex::cli::ProgressLine(controller));
    return salvex::cli::run_scan(options, controller, view);
}
