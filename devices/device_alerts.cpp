// What the user is told when the device cannot be opened, and the stop question.
#include <cerrno>
#include <cstring>

#include "app/my_table_controller.h"
#include "engine/messages.h"

namespace {

std::string process_name() {
#if defined(__GLIBC__)
    return program_invocation_short_name;
#else
    return getprogname();
#endif
}

}  // namespace

void MyTableController::showPermissionAlertAndGuideUser(int /*error_code*/) {
    const std::string name = process_name();
    const int answer = view_.alert(
        {.message = std::string(salvex::text::kPermissionRequired),
         .informative = name + " needs permission to access files on removable volumes (like USB drives).\n\n"
                               "Please go to System Settings > Privacy & Security > Files and Folders, find \"" +
                        name + "\" in the list, and enable \"Removable Volumes\" access.\n\n",
         .buttons = {"Open System Settings"}});
#if defined(__APPLE__)
    if (answer == 0 && !view_.open_url("x-apple.systempreferences:com.apple.preference.security?"))
        view_.open_url("x-apple.systempreferences:com.apple.preference.security?Privacy");
#else
    // No such settings here: the user guide says what works instead.
    if (answer == 0) Help_btn();
#endif
}

void MyTableController::showGenericErrorAlert(int error_code) {
    view_.alert({.message = std::string(salvex::text::kDeviceAccessError),
                 .informative = std::string("An unexpected error occurred while trying to access the device:\n\n") +
                                std::strerror(error_code),
                 .buttons = {"OK"}});
}

void MyTableController::stop_usb_disk() {
    const int answer =
        view_.alert({.message = std::string(salvex::text::kStopQuestion), .informative = "", .buttons = {"Yes", "No"}});
    if (answer == 0) stop_now = 1;
}
