// The window's signals wired to the controller's actions, and the device list's
// own actions (adding and removing disk images).
#include <QAbstractButton>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSlider>
#include <QTableView>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "app/my_table_controller.h"
#include "app/texts/window.h"
#include "app/texts/wizard.h"
#include "platform/invoking_user.h"
#include "results/qt/browser_view.h"
#include "results/qt/image_browser_model.h"
#include "results/qt/qt_text.h"
#include "wizard/qt/disk_image.h"
#include "wizard/qt/guarded.h"
#include "wizard/qt/main_window.h"
#include "wizard/qt/outlet_table_model.h"
#include "wizard/qt/qt_view.h"

namespace salvex::gui {

namespace {

// A click on a check box's separate label ticks the box, as a label of its own would.
class ClickTicks : public QObject {
public:
    ClickTicks(QWidget* label, QAbstractButton* box) : QObject(label), box_(box) { label->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease && box_->isEnabled()) box_->click();
        return false;
    }

private:
    QAbstractButton* box_;
};

// Space ticks or unticks the current row of a check list, whichever column holds the focus.
class SpaceTicks : public QObject {
public:
    explicit SpaceTicks(QTableView* table) : QObject(table), table_(table) { table->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_Space) return false;
        const QModelIndex current = table_->currentIndex();
        if (!current.isValid()) return false;
        const QModelIndex box = current.siblingAtColumn(0);
        const bool on = box.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        table_->model()->setData(box, on ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        return true;
    }

private:
    QTableView* table_;
};

// Keys that run an action in a widget, when the action answers that it applied.
class KeyAction : public QObject {
public:
    KeyAction(QWidget* widget, std::vector<int> keys, std::function<bool()> action)
        : QObject(widget), keys_(std::move(keys)), action_(std::move(action)) {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        return std::find(keys_.begin(), keys_.end(), key) != keys_.end() && action_();
    }

private:
    std::vector<int> keys_;
    std::function<bool()> action_;
};

}  // namespace

template <class Action>
void QtView::act(Action&& action) {
    if (controller_ == nullptr) return;
    guarded([&] { action(*controller_); }, "unknown failure in a window action");
}

void QtView::attach(MyTableController& controller) {
    controller_ = &controller;
    MainWindow& w = *window_;
    w.device_model->set_controller(&controller);
    w.check_model->set_controller(&controller);
    w.summary_model->set_controller(&controller);
    w.thumbnails->set_controller(&controller);
    w.file_list->set_controller(&controller);
    w.device_model->row_icon = [this](int row) {
        const auto& rows = controller_->nsMutaryOfDataObject;
        const bool image = row >= 0 && static_cast<std::size_t>(row) < rows.size() &&
                           !rows[static_cast<std::size_t>(row)].nsStrDiskIdentifier.empty() &&
                           rows[static_cast<std::size_t>(row)].nsStrDiskIdentifier.front() == '/';
        const QStyle* style = window_->style();
        if (image)
            return desktop_icon(QStringLiteral("media-optical"), style->standardIcon(QStyle::SP_FileIcon));
        return desktop_icon(QStringLiteral("drive-removable-media"), style->standardIcon(QStyle::SP_DriveHDIcon));
    };
    connect_actions();
}

void QtView::connect_actions() {
    MainWindow& w = *window_;
    const auto on_click = [this, &w](QAbstractButton* button, auto action) {
        QObject::connect(button, &QAbstractButton::clicked, &w, [this, action] { act(action); });
    };
    const auto button = [&w](Outlet o) { return w.as<QAbstractButton>(o); };

    // A new screen takes the focus to its first control; a refusal leaves it where
    // the controller put it, on the field to mend.
    const auto stepping = [&w](void (MyTableController::*step)()) {
        return [&w, step](MyTableController& c) {
            const std::int32_t before = c.screen_counter;
            (c.*step)();
            if (c.screen_counter != before) w.focus_first_control();
        };
    };
    on_click(button(Outlet::next_btn), stepping(&MyTableController::Next_btn));
    on_click(button(Outlet::back_btn), stepping(&MyTableController::Back_btn));
    on_click(w.exit_button, [](MyTableController& c) { c.Exit_Btn(); });
    on_click(button(Outlet::stop_scan), [](MyTableController& c) { c.stop_usb_disk(); });
    on_click(w.help_button, [](MyTableController& c) { c.Help_btn(); });
    on_click(w.about_button, [](MyTableController& c) { c.About_btn(); });
    on_click(w.contact_button, [](MyTableController& c) { c.Contact_Us_btn(); });
    on_click(button(Outlet::refresh_btn), [](MyTableController& c) { c.rebresh_drives(); });
    QObject::connect(w.add_image_button, &QPushButton::clicked, &w, [this] { add_disk_image(); });
    QObject::connect(w.remove_image_button, &QPushButton::clicked, &w, [this] { remove_disk_image(); });
    auto* drives = w.as<QTableView>(Outlet::idTableView);
    QObject::connect(drives->selectionModel(), &QItemSelectionModel::selectionChanged, &w,
                     [this] { show_remove_image_button(); });
    QObject::connect(w.device_model, &QAbstractItemModel::modelReset, &w, [this] { show_remove_image_button(); });
    new KeyAction(drives, {Qt::Key_Delete, Qt::Key_Backspace}, [this] { return remove_disk_image(); });

    on_click(button(Outlet::rec_mode_Photo), [](MyTableController& c) { c.Photo_Mode_Radio(); });
    on_click(button(Outlet::rec_mode_Video), [](MyTableController& c) { c.Video_Mode_Radio(); });
    on_click(button(Outlet::rec_mode_RawFile), [](MyTableController& c) { c.RawFile_Mode_Radio(); });
    on_click(button(Outlet::rec_mode_Audio), [](MyTableController& c) { c.Audio_Mode_Radio(); });
    on_click(button(Outlet::entire_disk_rd), [](MyTableController& c) { c.Entire_Disk_Radio(); });
    on_click(button(Outlet::entire_disk_rd_Sig), [](MyTableController& c) { c.Entire_Disk_Radio_Sig(); });
    on_click(button(Outlet::sector_range_rd), [](MyTableController& c) { c.Sector_Range_Radio(); });
    on_click(button(Outlet::sector_range_rd_Sig), [](MyTableController& c) { c.Sector_Range_Radio_Sig(); });
    on_click(button(Outlet::browse_path), [](MyTableController& c) { c.Browse_Path(); });
    on_click(button(Outlet::browse_path_Sig), [](MyTableController& c) { c.Browse_Path_Sig(); });
    on_click(button(Outlet::open_folder), [](MyTableController& c) { c.Open_Folder_btn(); });
    on_click(button(Outlet::open_folder_Sig), [](MyTableController& c) { c.Open_Folder_btn_Sig(); });
    on_click(button(Outlet::select_unselect_Chk), [](MyTableController& c) { c.Select_Unselect_Check_btn(); });
    on_click(button(Outlet::Thro_Mode_Chk_SIG), [](MyTableController& c) { c.Thro_Mode_Chk_SIG_Btn(); });
    new ClickTicks(w.outlet(Outlet::Thro_Mode_Chk_Label), button(Outlet::Thro_Mode_Chk));
    new SpaceTicks(w.as<QTableView>(Outlet::idCheckTableView));

    // A slider moved by the user: its exact value follows the position, then the controller hears.
    const auto on_slide = [this, &w](Outlet o, void (MyTableController::*action)()) {
        QObject::connect(w.as<QSlider>(o), &QSlider::valueChanged, &w, [this, o, action](int position) {
            Span& span = spans_[o];
            span.value = span.scale.to_value(position);
            act([action](MyTableController& c) { (c.*action)(); });
        });
    };
    on_slide(Outlet::Start_Slider, &MyTableController::DO_Start_slider);
    on_slide(Outlet::Start_Slider_Sig, &MyTableController::DO_Start_slider_Sig);
    on_slide(Outlet::End_Slider, &MyTableController::DO_End_slider);
    on_slide(Outlet::End_Slider_Sig, &MyTableController::DO_End_slider_Sig);
    for (const Outlet o : {Outlet::Start_slider_val, Outlet::Start_slider_val_Sig, Outlet::End_slider_val,
                           Outlet::End_slider_val_Sig})
        QObject::connect(w.as<QLineEdit>(o), &QLineEdit::textEdited, &w,
                         [this, o] { act([o](MyTableController& c) { c.controlTextDidChange(o); }); });

    QObject::connect(w.as<QSlider>(Outlet::zoom_slider), &QSlider::valueChanged, &w,
                     [this](int percent) { set_zoom(Outlet::imageBrowser, percent / 100.0); });
    QObject::connect(w.as<QListView>(Outlet::imageBrowser), &QListView::doubleClicked, &w,
                     [this, &w](const QModelIndex& index) {
                         // The no-preview picture stands for a file that does not open as a picture.
                         if (!w.thumbnails->shows_no_preview(index.row())) open_file(w.thumbnails->path_at(index.row()));
                     });
    auto* files = static_cast<FileListView*>(w.as<QTreeView>(Outlet::imageBrowser_2));
    QObject::connect(files, &QTreeView::doubleClicked, &w, [this, files](const QModelIndex& index) {
        const auto row = static_cast<std::uint64_t>(files->item_row(index));
        act([row](MyTableController& c) { c.imageBrowser_cellWasDoubleClickedAtIndex(Outlet::imageBrowser_2, row); });
    });
    // Queued: the preview runs once the click that selected has been handled.
    QObject::connect(
        files->selectionModel(), &QItemSelectionModel::selectionChanged, &w,
        [this] { act([](MyTableController& c) { c.imageBrowserSelectionDidChange(Outlet::imageBrowser_2); }); },
        Qt::QueuedConnection);
    const auto edits = [this](auto* browser, Outlet o) {
        browser->remove_rows = [this, o](BrowserView::Rows rows) {
            act([o, &rows](MyTableController& c) { c.imageBrowser_removeItemsAtIndexes(o, std::move(rows)); });
        };
        browser->move_rows = [this, o](BrowserView::Rows rows, std::size_t destination) {
            act([o, &rows, destination](MyTableController& c) {
                c.imageBrowser_moveItemsAtIndexes(o, std::move(rows), destination);
            });
        };
    };
    edits(static_cast<BrowserView*>(w.as<QListView>(Outlet::imageBrowser)), Outlet::imageBrowser);
    edits(files, Outlet::imageBrowser_2);
    QObject::connect(w.as<QTableView>(Outlet::idTableView), &QTableView::doubleClicked, &w,
                     [this] { act([](MyTableController& c) { c.Next_btn(); }); });

    w.close_requested = [this] { act([](MyTableController& c) { c.windowShouldClose(); }); };
    w.return_pressed = [&w] {
        auto* next = w.as<QPushButton>(Outlet::next_btn);
        if (next->isVisible() && next->isEnabled()) next->click();
    };
    w.escape_pressed = [&w] {
        auto* stop = w.as<QPushButton>(Outlet::stop_scan);
        if (stop->isVisible() && stop->isEnabled()) stop->click();
    };
}

void QtView::add_disk_image() {
    const QString path = QFileDialog::getOpenFileName(
        window_.get(), qs(text::kChooseDiskImage), qs(salvex::platform::chooser_start_folder()),
        qs(text::kDiskImageFilter), nullptr,
        QFileDialog::DontUseNativeDialog);
    if (!path.isEmpty()) add_disk_image_path(path.toStdString());
}

bool QtView::add_disk_image_path(const std::string& path) {
    if (controller_ == nullptr) return false;
    const auto record = disk_image_record(path);
    if (!record) {
        alert({.message = std::string(text::kNotADiskImage), .informative = "", .buttons = {std::string(text::kOk)}});
        return false;
    }
    controller_->add_disk_image(*record);
    const auto& rows = controller_->nsMutaryOfDataObject;
    for (std::size_t row = 0; row < rows.size(); ++row)
        if (rows[row].nsStrDiskIdentifier == record->nsStrDiskIdentifier)
            window_->as<QTableView>(Outlet::idTableView)->selectRow(static_cast<int>(row));
    return true;
}

bool QtView::remove_disk_image() {
    if (controller_ == nullptr) return false;
    const long row = selected_row(Outlet::idTableView);
    if (!controller_->remove_disk_image(row)) return false;
    auto* table = window_->as<QTableView>(Outlet::idTableView);
    const int rows = table->model()->rowCount();
    if (rows > 0) table->selectRow(std::min(static_cast<int>(row), rows - 1));
    table->setFocus(Qt::OtherFocusReason);
    return true;
}

void QtView::show_remove_image_button() {
    if (controller_ == nullptr) return;
    window_->remove_image_button->setVisible(controller_->is_added_image(selected_row(Outlet::idTableView)));
}

}  // namespace salvex::gui
