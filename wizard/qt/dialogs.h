#pragma once
// The small windows around the wizard: alerts, the information shown before the
// folder chooser, About, Contact Us, the end-of-search notice and the notice
// shown while drives are looked for.
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <memory>

#include "app/controller_view.h"

#include "app/my_table_controller.h"

namespace salvex::gui {

// An alert with exactly the request's texts and buttons, the first button the
// default. Each button carries its index under this property.
inline constexpr const char* kButtonIndexProperty = "salvexButtonIndex";
std::unique_ptr<QMessageBox> make_alert_box(const AlertRequest& request, QWidget* parent);
// The index of the button that closed the box; the Escape answer when none was pressed.
int alert_answer(const QMessageBox& box);

// The web-site and support-mail buttons of the support and end-of-search windows.
QPushButton* make_link_button(const QString& title, QWidget* parent);

std::unique_ptr<QDialog> make_browse_info_dialog(QWidget* parent);
std::unique_ptr<QDialog> make_about_dialog(const MyTableController& controller, QWidget* parent);
std::unique_ptr<QDialog> make_support_dialog(MyTableController& controller, QWidget* parent);
// What the end-of-search notice says: how the search ended, what each pass saved
// and where. After a failure it never claims that everything was saved.
struct EndNotice {
    QString heading, text;
    QString general, thorough;  // files saved by each pass; "not run" when the thorough one was not
    QString folder;             // the result folder, empty when none was made
};
EndNotice end_notice(ScanOutcome outcome, const ScanTally& tally, bool thorough_ran);
// The notice itself, with the folder's path and an Open Folder button beside it.
std::unique_ptr<QDialog> make_end_of_search_dialog(MyTableController& controller, QWidget* parent);
std::unique_ptr<QDialog> make_drive_loading_notice(QWidget* parent);

}  // namespace salvex::gui
