#include "wizard/qt/qt_view.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QKeyEvent>
#include <QHeaderView>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTreeView>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "app/globals.h"
#include "app/interface_queue.h"
#include "app/my_table_controller.h"
#include "platform/invoking_user.h"
#include "platform/short_waits.h"
#include "results/qt/browser_view.h"
#include "results/qt/image_browser_model.h"
#include "results/qt/qt_text.h"
#include "results/qt/thumbnail_cache.h"
#include "wizard/qt/dialogs.h"
#include "wizard/qt/disk_image.h"
#include "wizard/qt/guarded.h"
#include "wizard/qt/main_window.h"
#include "wizard/qt/outlet_table_model.h"
#include "wizard/qt/user_session.h"
#include "wizard/qt/preview_pane.h"

namespace salvex::gui {

namespace {

// Labels show the controller's texts without the tabs and line feeds that lined
// them up in the old fixed layout; the texts themselves stay exact.
QString tidy(const std::string& text) { return qs(text).remove(QLatin1Char('\t')).trimmed(); }

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

constexpr int kSmallestIcon = 48, kLargestIcon = ThumbnailCache::kPixels;

}  // namespace

// How often the lists take in what a search handed over meanwhile.
constexpr int kListFlushMs = 120;

QtView::QtView() : window_(std::make_unique<MainWindow>()), list_flush_(new QTimer(window_.get())) {
    platform::prefer_short_waits();  // this is the interface thread
    list_flush_->setSingleShot(true);
    list_flush_->setInterval(kListFlushMs);
    QObject::connect(list_flush_, &QTimer::timeout, window_.get(), [this] { flush_lists(); });
}

QtView::~QtView() {
    // The controller usually goes first; the closing window must not ask it for rows.
    MainWindow& w = *window_;
    w.device_model->set_controller(nullptr);
    w.check_model->set_controller(nullptr);
    w.summary_model->set_controller(nullptr);
    w.thumbnails->set_controller(nullptr);
    w.file_list->set_controller(nullptr);
    w.device_model->row_icon = nullptr;
    controller_ = nullptr;
    w.hide();
}

int QtView::zoom_pixels(double zoom) {
    const double z = zoom < 0 ? 0 : zoom > 1 ? 1 : zoom;
    return static_cast<int>(std::lround(kSmallestIcon + z * (kLargestIcon - kSmallestIcon)));
}

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
        window_.get(), QObject::tr("Choose a disk image"), qs(salvex::platform::chooser_start_folder()),
        QObject::tr("Disk images (*.img *.dd *.raw *.bin *.dmg *.iso);;All files (*)"), nullptr,
        QFileDialog::DontUseNativeDialog);
    if (!path.isEmpty()) add_disk_image_path(path.toStdString());
}

bool QtView::add_disk_image_path(const std::string& path) {
    if (controller_ == nullptr) return false;
    const auto record = disk_image_record(path);
    if (!record) {
        alert({.message = "\nThis file cannot be read as a disk image.", .informative = "", .buttons = {"OK"}});
        return false;
    }
    controller_->Add_Disk_Image(*record);
    const auto& rows = controller_->nsMutaryOfDataObject;
    for (std::size_t row = 0; row < rows.size(); ++row)
        if (rows[row].nsStrDiskIdentifier == record->nsStrDiskIdentifier)
            window_->as<QTableView>(Outlet::idTableView)->selectRow(static_cast<int>(row));
    return true;
}

bool QtView::remove_disk_image() {
    if (controller_ == nullptr) return false;
    const long row = selected_row(Outlet::idTableView);
    if (!controller_->Remove_Disk_Image(row)) return false;
    auto* table = window_->as<QTableView>(Outlet::idTableView);
    const int rows = table->model()->rowCount();
    if (rows > 0) table->selectRow(std::min(static_cast<int>(row), rows - 1));
    table->setFocus(Qt::OtherFocusReason);
    return true;
}

void QtView::show_remove_image_button() {
    if (controller_ == nullptr) return;
    window_->remove_image_button->setVisible(controller_->Is_Added_Image(selected_row(Outlet::idTableView)));
}

void QtView::set_text(Outlet o, const std::string& text) {
    texts_[o] = text;
    if (o == Outlet::sector_label) show_scan_stats();
    for (const bool sig : {false, true})
        for (const auto& [maximum, field] : {std::pair{Outlet::Start_Sec_Max_val, Outlet::Start_slider_val},
                                             std::pair{Outlet::End_Sec_Max_val, Outlet::End_slider_val}}) {
            if (o != in_set(maximum, sig)) continue;
            QWidget* edit = window_->outlet(in_set(field, sig));
            const QString allowed = QObject::tr("0 to %1").arg(qs(text));
            if (auto* hint = window_->findChild<QLabel*>(edit->objectName() + QStringLiteral("_allowed")))
                hint->setText(QObject::tr("(%1)").arg(allowed));
            edit->setToolTip(QObject::tr("A sector number from %1").arg(allowed));
        }
    QWidget* w = window_->outlet(o);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->setText(qs(text));
    else if (auto* label = qobject_cast<QLabel*>(w)) label->setText(tidy(text));
    else if (auto* button = qobject_cast<QAbstractButton*>(w)) button->setText(qs(text));
    else if (auto* box = qobject_cast<QGroupBox*>(w)) box->setTitle(tidy(text));
}

std::string QtView::text(Outlet o) const {
    const QWidget* w = window_->outlet(o);
    if (const auto* edit = qobject_cast<const QLineEdit*>(w)) return edit->text().toStdString();
    const auto it = texts_.find(o);
    if (it != texts_.end()) return it->second;
    if (const auto* label = qobject_cast<const QLabel*>(w)) return label->text().toStdString();
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text().toStdString();
    return {};
}

void QtView::set_hidden(Outlet o, bool hidden) {
    window_->set_outlet_hidden(o, hidden);
    // Stop shows when a search starts.
    if (o == Outlet::stop_scan && !hidden && controller_ != nullptr) {
        stats_.found_before = controller_->GND_Image_number + controller_->THD_Image_number;
        stats_.pass_first = UINT64_MAX;
        window_->scan_stats->clear();
        window_->package_note->hide();
    }
}

void QtView::show_scan_stats() {
    if (controller_ == nullptr || Recovery_MODE != kPhotoMode) {
        window_->scan_stats->clear();
        return;
    }
    const std::uint64_t index = controller_->for_index;
    // A new pass reads from its first sector again.
    if (stats_.pass_first == UINT64_MAX || index < stats_.pass_first) {
        stats_.pass_first = index;
        stats_.clock.start();
    }
    const double seconds = static_cast<double>(stats_.clock.elapsed()) / 1000.0;
    const double mb_per_s = seconds > 0.2 ? static_cast<double>(index - stats_.pass_first) * 512 / 1e6 / seconds : 0;
    const std::uint64_t found = controller_->GND_Image_number + controller_->THD_Image_number - stats_.found_before;
    const QString files = found == 1 ? QObject::tr("1 file found")
                                     : QObject::tr("%1 files found").arg(QLocale().toString(static_cast<qulonglong>(found)));
    window_->scan_stats->setText(files + QStringLiteral("  \u00B7  ") +
                                 QObject::tr("%1 MB/s").arg(QLocale().toString(mb_per_s, 'f', 1)));
}

void QtView::set_enabled(Outlet o, bool enabled) { window_->outlet(o)->setEnabled(enabled); }

void QtView::set_state(Outlet o, bool on) {
    auto* button = window_->as<QAbstractButton>(o);
    if (button == nullptr) return;
    const QSignalBlocker quiet(button);
    // A radio of an exclusive group cannot be turned off directly; the controller decides the group.
    const bool exclusive = button->autoExclusive();
    if (!on && exclusive) button->setAutoExclusive(false);
    button->setChecked(on);
    if (!on && exclusive) button->setAutoExclusive(true);
    window_->refresh();
}

bool QtView::state(Outlet o) const {
    const auto* button = window_->as<QAbstractButton>(o);
    return button != nullptr && button->isChecked();
}

void QtView::focus(Outlet o) {
    QWidget* w = window_->outlet(o);
    w->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->selectAll();
}

void QtView::set_range(Outlet o, std::uint64_t minimum, std::uint64_t maximum) {
    Span& span = spans_[o];
    span.scale.set_range(minimum, maximum);
    span.value = span.scale.clamp(span.value);
    QWidget* w = window_->outlet(o);
    const QSignalBlocker quiet(w);
    if (auto* slider = qobject_cast<QSlider*>(w)) {
        slider->setRange(0, span.scale.steps());
        slider->setPageStep(std::max(1, span.scale.steps() / 20));
        slider->setValue(span.scale.to_position(span.value));
    } else if (auto* bar = qobject_cast<QProgressBar*>(w)) {
        // An empty range would make the bar a busy indicator.
        bar->setRange(0, std::max(1, span.scale.steps()));
        bar->setValue(span.scale.to_position(span.value));
    }
}

void QtView::set_value(Outlet o, std::uint64_t value) {
    Span& span = spans_[o];
    span.value = span.scale.clamp(value);
    QWidget* w = window_->outlet(o);
    const QSignalBlocker quiet(w);
    if (auto* slider = qobject_cast<QSlider*>(w)) slider->setValue(span.scale.to_position(span.value));
    else if (auto* bar = qobject_cast<QProgressBar*>(w)) bar->setValue(span.scale.to_position(span.value));
}

std::uint64_t QtView::value(Outlet o) const {
    const auto it = spans_.find(o);
    return it == spans_.end() ? 0 : it->second.value;
}

void QtView::set_zoom(Outlet o, double zoom) {
    if (o == Outlet::zoom_slider) {
        auto* slider = window_->as<QSlider>(o);
        const QSignalBlocker quiet(slider);
        slider->setValue(static_cast<int>(std::lround(zoom * 100)));
    } else if (o == Outlet::imageBrowser) {
        auto* browser = window_->as<QListView>(o);
        const int pixels = zoom_pixels(zoom);
        browser->setIconSize(QSize(pixels, pixels));
        browser->setGridSize(QSize(pixels + 36, pixels + browser->fontMetrics().height() + 20));
    }
}

void QtView::reload(Outlet o) {
    MainWindow& w = *window_;
    const bool searching = controller_ != nullptr && controller_->Scan_Thread_Running();
    switch (o) {
        case Outlet::idTableView: w.device_model->reload(); break;
        case Outlet::idCheckTableView:
            w.check_model->reload();
            warm_type_icons();
            break;
        case Outlet::idSigTableView:
            // Only its counts change during a search.
            summary_due_ = true;
            if (!searching) flush_lists();
            break;
        case Outlet::imageBrowser:
            if (controller_ != nullptr && controller_->images.empty()) w.thumbnail_cache->clear();
            thumbnails_due_ = true;
            if (!searching || !w.thumbnails->only_appended()) flush_lists();
            break;
        case Outlet::imageBrowser_2:
            files_due_ = true;
            if (!searching || !w.file_list->only_appended()) flush_lists();
            break;
        default: break;
    }
    // Not restarted by each hand-over: files arriving faster than that must still show.
    if ((thumbnails_due_ || files_due_ || summary_due_) && !list_flush_->isActive()) list_flush_->start();
}

void QtView::warm_type_icons() {
    if (controller_ == nullptr) return;
    // Found and read now, while the user picks the types, rather than when the
    // first file is listed and the search waits for the window to take it.
    for (const TableRow& row : controller_->nsCheckedListDataObject)
        if (const auto ext = row.find("Extension"); ext != row.end())
            file_type_icon(QStringLiteral("file.") + qs(ext->second).toLower()).pixmap(16, 16);
}

void QtView::flush_lists() {
    list_flush_->stop();
    MainWindow& w = *window_;
    if (std::exchange(summary_due_, false)) w.summary_model->reload();
    if (std::exchange(thumbnails_due_, false)) w.thumbnails->reload();
    if (std::exchange(files_due_, false)) w.file_list->reload();
    for (auto& [o, due] : scroll_due_)
        if (std::exchange(due, false)) scroll_to_end(o);
}

long QtView::selected_row(Outlet o) const {
    const auto* view = window_->as<QAbstractItemView>(o);
    if (view == nullptr || view->selectionModel() == nullptr) return -1;
    // The first row in list order, not in the order the rows were picked; rows of
    // the controller's list, whatever order a sorted view shows them in.
    const auto* proxy = qobject_cast<const QSortFilterProxyModel*>(view->model());
    long first = -1;
    for (const QModelIndex& index : view->selectionModel()->selectedRows()) {
        const long row = proxy != nullptr ? proxy->mapToSource(index).row() : index.row();
        if (first < 0 || row < first) first = row;
    }
    return first;
}

void QtView::scroll_to_end(Outlet o) {
    auto* view = window_->as<QAbstractItemView>(o);
    if (view == nullptr) return;
    if (list_flush_->isActive()) {
        scroll_due_[o] = true;  // once the list has its new items
        return;
    }
    // Sorted by a column, the newest file is not at the end: the list stays where the user looks.
    if (const auto* tree = qobject_cast<QTreeView*>(view); tree != nullptr && tree->header()->sortIndicatorSection() >= 0 &&
                                                          tree->header()->sortIndicatorSection() < tree->header()->count())
        return;
    view->scrollToBottom();
}

void QtView::set_window_title(const std::string& title) {
    const QString t = qs(title);
    window_->setWindowTitle(t);
    const qsizetype cut = t.indexOf(QStringLiteral(" - "));
    window_->title_label->setText(cut < 0 ? t : t.left(cut));
}

int QtView::alert(const AlertRequest& request) {
    if (alert_answerer) return alert_answerer(request);
    const auto box = make_alert_box(request, window_.get());
    // A question may be overtaken by the end of the search (see show_end_of_search_notice).
    QPointer<QMessageBox> outer = open_question_;
    if (request.buttons.size() > 1) open_question_ = box.get();
    if (modal_runner) modal_runner(*box);
    else box->exec();
    open_question_ = outer;
    return alert_answer(*box);
}

std::optional<std::string> QtView::choose_folder(const std::string& start_folder) {
    if (folder_chooser) return folder_chooser(start_folder);
    // Qt's own chooser: a desktop portal would not answer a program running as root.
    const QString folder = QFileDialog::getExistingDirectory(
        window_.get(), QObject::tr("Choose a folder for the recovered files"), qs(start_folder),
        QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (folder.isEmpty()) return std::nullopt;
    return folder.toStdString();
}

void QtView::clear_preview(Outlet o) {
    if (o == Outlet::mMovieView) window_->preview_pane->clear();
    else if (auto* label = window_->as<QLabel>(o)) label->clear();
    window_->preview_note->hide();
}

void QtView::show_preview_sheet(bool shown) { window_->preview_pane->show_sheet(shown); }

bool QtView::play_movie(Outlet o, const std::string& path) {
    return o == Outlet::mMovieView && window_->preview_pane->play(qs(path));
}

bool QtView::movie_playing(Outlet o) const { return o == Outlet::mMovieView && window_->preview_pane->playing(); }

void QtView::stop_movie(Outlet o) {
    if (o == Outlet::mMovieView) window_->preview_pane->stop();
}

bool QtView::show_picture(Outlet o, const QImage& picture) {
    auto* label = window_->as<QLabel>(o);
    if (label == nullptr || picture.isNull()) return false;
    QPixmap pixmap = QPixmap::fromImage(picture);
    pixmap.setDevicePixelRatio(label->devicePixelRatioF());
    label->setPixmap(pixmap);
    return true;
}

bool QtView::show_thumbnail(Outlet o, const std::string& path, int size) {
    const int pixels = static_cast<int>(std::lround(size * window_->devicePixelRatioF()));
    return show_picture(o, PreviewPane::content_picture(qs(path), pixels));
}

bool QtView::show_file_icon(Outlet o, const std::string& path, int size) {
    // The last resort of a preview: say when a package would have made a real one.
    const QString package = PreviewPane::missing_package(qs(path));
    window_->preview_note->setText(
        QObject::tr("No preview of this kind of file here: installing the package %1 would show one.").arg(package));
    window_->preview_note->setVisible(!package.isEmpty());
    const int pixels = static_cast<int>(std::lround(size * window_->devicePixelRatioF()));
    return show_picture(o, PreviewPane::type_icon_picture(qs(path), pixels));
}

void QtView::show_drive_loading_notice(bool shown) {
    if (!shown) {
        loading_notice_.reset();
        return;
    }
    // Before the window is up there is nothing to cover.
    if (!window_->isVisible()) return;
    loading_notice_ = make_drive_loading_notice(window_.get());
    loading_notice_->adjustSize();
    loading_notice_->move(window_->geometry().center() - loading_notice_->rect().center());
    loading_notice_->show();
    loading_notice_->repaint();
}

void QtView::run_modal(QDialog& dialog) {
    if (modal_runner) modal_runner(dialog);
    else dialog.exec();
}

void QtView::show_end_of_search_notice() {
    if (controller_ == nullptr) return;
    flush_lists();
    // A stop question still open has nothing left to stop: it goes as if answered
    // No (its cautious answer) before the notice comes.
    if (open_question_ != nullptr && open_question_->escapeButton() != nullptr) open_question_->escapeButton()->click();
    run_modal(*make_end_of_search_dialog(*controller_, window_.get()));
}

void QtView::check_image_decodes(const std::string& path, std::function<void(bool)> done) {
    // The answer may come after the controller has gone; then nobody needs it.
    window_->thumbnail_cache->check(qs(path), [this, path, done = std::move(done)](bool decodes) {
        if (controller_ == nullptr) return;
        if (!decodes && window_->package_note->isHidden()) {
            const QString package = PreviewPane::missing_package(qs(path));
            window_->package_note->setText(QObject::tr("Some photos show no thumbnail: installing the package %1 would "
                                                       "show them. The photos themselves are saved whole.")
                                               .arg(package));
            window_->package_note->setVisible(!package.isEmpty());
        }
        done(decodes);
    });
}

bool QtView::open(const QUrl& url) {
    const auto not_opened = [this, url] {
        // The path or address itself, so that the user can open it by hand.
        const bool local = url.isLocalFile();
        const QString where = local ? url.toLocalFile() : url.toString();
        const bool folder = local && QFileInfo(where).isDir();
        const std::string what = !local ? "address" : folder ? "folder" : "file";
        alert({.message = "\nThis " + what + " could not be opened.",
               .informative = "No program on this computer opened it. You can open it by hand:\n\n" +
                              where.toStdString(),
               .buttons = {"OK"}});
    };
    const bool started = url_opener ? url_opener(url) : open_in_user_session(url, window_.get(), not_opened);
    if (!started) not_opened();
    return started;
}

bool QtView::open_file(const std::string& path) { return open(QUrl::fromLocalFile(qs(path))); }

bool QtView::open_url(const std::string& url) { return open(QUrl(qs(url))); }

void QtView::copy_to_clipboard(const std::string& text) {
    auto* data = new QMimeData;
    data->setText(qs(text));
    QGuiApplication::clipboard()->setMimeData(data);
}

void QtView::bring_to_front() {
    window_->raise();
    window_->activateWindow();
}

void QtView::show_browse_info_window() { run_modal(*make_browse_info_dialog(window_.get())); }

void QtView::show_about_window() {
    if (controller_ != nullptr) run_modal(*make_about_dialog(*controller_, window_.get()));
}

void QtView::show_support_window() {
    if (controller_ != nullptr) run_modal(*make_support_dialog(*controller_, window_.get()));
}

void QtView::quit_application() {
    if (quitter) {
        quitter();
        return;
    }
    std::fflush(nullptr);
    // Not exit(): a scan thread may still be using what static destructors would free.
    std::_Exit(0);
}

void QtView::post(std::function<void()> work) {
    QMetaObject::invokeMethod(
        window_.get(),
        [work = std::move(work)] { guarded(work, "unknown failure in work posted to the window"); },
        Qt::QueuedConnection);
}

void QtView::post_later(std::chrono::milliseconds delay, std::function<void()> work) {
    QTimer::singleShot(delay, window_.get(), [this, work = std::move(work)]() mutable { post(std::move(work)); });
}

void QtView::post_and_wait(std::function<void()> work) {
    if (QThread::currentThread() == window_->thread()) {
        work();
        return;
    }
    WaitedWork waited(std::move(work));
    QMetaObject::invokeMethod(window_.get(), [&waited] { waited.run(); }, Qt::BlockingQueuedConnection);
    waited.rethrow_failure();
}

}  // namespace salvex::gui
