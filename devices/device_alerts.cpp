// What the user is told when the device cannot be opened, and the stop question.
#include <cerrno>
#include <cstring>

#include "app/my_table_controller.h"
#include "app/texts/search.h"
#include "app/texts/wizard.h"

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
         .informative = salvex::text::permission_guide(name),
         .buttons = {std::string(salvex::text::kOpenSystemSettings)}});
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
                 .informative = std::string(salvex::text::kUnexpectedDeviceError) + std::strerror(error_code),
                 .buttons = {std::string(salvex::text::kOk)}});
}

void MyTableController::stop_usb_disk() {
    const int answer =
        view_.alert({.message = std::string(salvex::text::kStopQuestion), .informative = "",
                     .buttons = {std::string(salvex::text::kYes), std::string(salvex::text::kNo)}});
    if (answer == 0) stop_now = 1;
}
