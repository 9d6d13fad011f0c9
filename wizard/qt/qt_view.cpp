#include "wizard/qt/qt_view.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QSortFilterProxyModel>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <cmath>
#include <utility>

#include "app/globals.h"
#include "app/my_table_controller.h"
#include "app/texts/window.h"
#include "platform/short_waits.h"
#include "results/qt/image_browser_model.h"
#include "results/qt/qt_text.h"
#include "results/qt/thumbnail_cache.h"
#include "wizard/qt/main_window.h"
#include "wizard/qt/outlet_table_model.h"

namespace salvex::gui {

namespace {

// Labels show the controller's texts without the tabs and line feeds that lined
// them up in the old fixed layout; the texts themselves stay exact.
QString tidy(const std::string& text) { return qs(text).remove(QLatin1Char('\t')).trimmed(); }

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

void QtView::set_text(Outlet o, const std::string& text) {
    texts_[o] = text;
    if (o == Outlet::sector_label) show_scan_stats();
    for (const bool sig : {false, true})
        for (const auto& [maximum, field] : {std::pair{Outlet::Start_Sec_Max_val, Outlet::Start_slider_val},
                                             std::pair{Outlet::End_Sec_Max_val, Outlet::End_slider_val}}) {
            if (o != in_set(maximum, sig)) continue;
            QWidget* edit = window_->outlet(in_set(field, sig));
            const QString allowed = qs(text::kSectorsAllowed).arg(qs(text));
            if (auto* hint = window_->findChild<QLabel*>(edit->objectName() + QStringLiteral("_allowed")))
                hint->setText(qs(text::kInBrackets).arg(allowed));
            edit->setToolTip(qs(text::kSectorFieldTip).arg(allowed));
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
    const QString files = found == 1 ? qs(text::kOneFileFound)
                                     : qs(text::kFilesFound).arg(QLocale().toString(static_cast<qulonglong>(found)));
    window_->scan_stats->setText(files + QStringLiteral("  \u00B7  ") +
                                 qs(text::kSpeed).arg(QLocale().toString(mb_per_s, 'f', 1)));
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
    const bool searching = controller_ != nullptr && controller_->scan_thread_running();
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

}  // namespace salvex::gui
