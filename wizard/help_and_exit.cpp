// Help, About, support contacts and the confirmed exit. None of it touches the
// wizard's state.
#include <filesystem>

#include "app/message_box.h"
#include "app/my_table_controller.h"
#include "app/texts/wizard.h"
#include "wizard/wizard_helpers.h"

namespace fs = std::filesystem;

namespace {

// The partnership enquiry goes to one address whatever the edition.
constexpr const char* kResellerMail =
    "mailto:reseller@salvex-recovery.example?subject=Affiliate/Partnership%20Enquiry&body=Dear%20Salvex%20"
    "Recovery%20Team,%0A%0AI%20am%20interested%20in%20an%20affiliate%20or%20reseller%20partnership%20for%20your%20"
    "data%20recovery%20software.%0A%0AName:%20%0ACompany:%20%0AWeb%20site:%20%0ACountry:%20%0AHow%20I%20plan%20to%20"
    "offer%20the%20software:%20%0A%0AKind%20regards,%0A";

void copy_text(salvex::ControllerView& view, const std::string& text) {
    view.copy_to_clipboard(text);
    Show_MessageBox(salvex::text::kTextCopied);
}

}  // namespace

void MyTableController::Help_btn() {
    salvex::wizard::guarded([&] {
        const fs::path help = fs::path(bundle_.resource_path) / "Help.pdf";
        std::error_code ec;
        // Outside a bundle there is no resource folder, so no help to open either.
        if (!bundle_.resource_path.empty() && fs::is_regular_file(help, ec))
            view_.open_file(help.string());
        else
            view_.alert({.message = std::string(salvex::text::kNoHelpFile), .informative = "", .buttons = {std::string(salvex::text::kOk)}});
    });
}

void MyTableController::HelpFilePressed() { Help_btn(); }

void MyTableController::About_btn() {
    salvex::wizard::guarded([&] {
        view_.bring_to_front();
        view_.show_about_window();
    });
}

void MyTableController::Contact_Us_btn() {
    salvex::wizard::guarded([&] { view_.show_support_window(); });
}

void MyTableController::Copy_Email() {
    salvex::wizard::guarded([&] { copy_text(view_, support_id); });
}
void MyTableController::Copy_URL() {
    salvex::wizard::guarded([&] { copy_text(view_, Website_1); });
}
void MyTableController::Copy_URL_2() {
    salvex::wizard::guarded([&] { copy_text(view_, Website_2); });
}

// Whether the desktop managed to open a link is not checked: there is nothing
// more the program could do about it.
void MyTableController::Open_Support_Mail() {
    salvex::wizard::guarded([&] { view_.open_url(support_with_content); });
}
void MyTableController::Open_Website_1() {
    salvex::wizard::guarded([&] { view_.open_url(Website_1); });
}
void MyTableController::Open_Website_2() {
    salvex::wizard::guarded([&] { view_.open_url(Website_2); });
}
void MyTableController::Open_Website_3() {
    salvex::wizard::guarded([&] { view_.open_url(Website_3); });
}
void MyTableController::Open_Website_4() {
    salvex::wizard::guarded([&] { view_.open_url(Website_4); });
}
void MyTableController::Open_Reseller_Mail() {
    salvex::wizard::guarded([&] { view_.open_url(kResellerMail); });
}

void MyTableController::Exit_Btn() { Exit_App(); }

void MyTableController::Exit_App() {
    salvex::wizard::guarded([&] {
        const int answer = view_.alert(
            {.message = std::string(salvex::text::kExitQuestion), .informative = "",
             .buttons = {std::string(salvex::text::kYes), std::string(salvex::text::kNo)}});
        if (answer == 0) view_.quit_application();
    });
}

bool MyTableController::windowShouldClose() {
    Exit_App();
    // A confirmed exit has already ended the program; a declined one keeps the window.
    return false;
}
