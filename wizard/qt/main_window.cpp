#include "wizard/qt/main_window.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/globals.h"
#include "app/texts/window.h"
#include "results/qt/image_browser_model.h"
#include "results/qt/qt_text.h"
#include "results/qt/thumbnail_cache.h"
#include "wizard/qt/app_icon.h"
#include "wizard/qt/screen_layout.h"
#include "wizard/qt/step_strip.h"

namespace salvex::gui {

// The screens' area: as tall as the window allows, and scrolling only when the
// screen shown needs more than that. (A resizable QScrollArea would size wrapped
// texts to their preferred height and scroll when it need not.)
class ScreenArea : public QScrollArea {
public:
    explicit ScreenArea(QWidget* parent) : QScrollArea(parent) { setFrameShape(QFrame::NoFrame); }
    void place(QWidget* body) {
        setWidget(body);
        body->installEventFilter(this);
    }

protected:
    bool viewportEvent(QEvent* event) override {
        if (event->type() == QEvent::Resize) fit();
        return QScrollArea::viewportEvent(event);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Another screen shown: it may need another height.
        if (watched == widget() && event->type() == QEvent::LayoutRequest) QTimer::singleShot(0, this, [this] { fit(); });
        return QScrollArea::eventFilter(watched, event);
    }

private:
    void fit() {
        QWidget* body = widget();
        if (body == nullptr || body->layout() == nullptr) return;
        QLayout* layout = body->layout();
        layout->activate();
        const int width = std::max(viewport()->width(), layout->minimumSize().width());
        const int least = layout->hasHeightForWidth() ? layout->minimumHeightForWidth(width) : layout->minimumSize().height();
        const QSize size(width, std::max(least, viewport()->height()));
        if (body->size() != size) body->resize(size);
    }
};

MainWindow::MainWindow() : outlets_(this) {
    // Small enough for a 1024 x 600 screen with a panel and a title bar.
    setMinimumSize(720, 480);
    setWindowIcon(app_icon());
    resize(1120, 760);

    thumbnail_cache = new ThumbnailCache(this);
    thumbnails = new ImageBrowserModel(ImageBrowserModel::Kind::Thumbnails, *thumbnail_cache, this);
    file_list = new ImageBrowserModel(ImageBrowserModel::Kind::FileList, *thumbnail_cache, this);
    thumbnail_cache->ready = [this](const QString& path) { thumbnails->thumbnail_ready(path); };

    auto* outer = column(this);
    outer->setSpacing(0);
    outer->addWidget(build_header());
    strip_ = new StepStrip(this);
    strip_->setAutoFillBackground(true);
    strip_->setBackgroundRole(QPalette::AlternateBase);
    outer->addWidget(strip_);
    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    outer->addWidget(rule);

    auto* body = new QWidget(this);
    auto* screens = column(body, 18);
    screens->setSpacing(12);
    auto* search_type = make<QLabel>(Outlet::Search_Type, body);
    QFont bold = search_type->font();
    bold.setBold(true);
    search_type->setFont(bold);
    screens->addWidget(search_type);
    screens->addWidget(build_device_page(), 1);
    screens->addWidget(build_range_page(false), 1);
    screens->addWidget(build_range_page(true), 1);
    screens->addWidget(build_file_type_page(), 1);
    screens->addWidget(build_photo_results_page(), 1);
    screens->addWidget(build_file_results_page(), 1);
    screens->addWidget(build_progress_area());
    screens->addWidget(build_help_panel());
    // On a small screen the tallest screens scroll rather than push the buttons off it.
    auto* scroller = new ScreenArea(this);
    scroller->setObjectName(QStringLiteral("screen_area"));
    scroller->place(body);
    outer->addWidget(scroller, 1);

    auto* bottom_rule = new QFrame(this);
    bottom_rule->setFrameShape(QFrame::HLine);
    bottom_rule->setFrameShadow(QFrame::Sunken);
    outer->addWidget(bottom_rule);
    outer->addWidget(build_button_bar());

    // The data carriers the controller reads back; nothing to show of them.
    make<QLabel>(Outlet::disk_identifier, this)->hide();
    make<QLabel>(Outlet::sectors_val, this)->hide();

    outlets_.check_complete();

    // Everything starts hidden except the device screen and the window's frame;
    // the controller shows each screen as the wizard reaches it.
    outlets_.show_only({Outlet::controlPanel, Outlet::help_info, Outlet::back_btn, Outlet::next_btn,
                        Outlet::idTableView, Outlet::idtablesclview, Outlet::refresh_btn, Outlet::refresh_Box,
                        Outlet::refresh_Label, Outlet::rec_mode_Box, Outlet::rec_mode_Photo, Outlet::rec_mode_Video,
                        Outlet::rec_mode_RawFile, Outlet::rec_mode_Audio, Outlet::idSigTableView,
                        Outlet::idSigtablesclview});

    set_tab_order();
    refresh();
}

MainWindow::~MainWindow() = default;

QWidget* MainWindow::build_header() {
    auto* header = new QWidget(this);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(18, 12, 12, 10);
    auto* icon = new QLabel(header);
    icon->setPixmap(app_icon().pixmap(40, 40));
    row->addWidget(icon);
    auto* words = new QVBoxLayout;
    words->setSpacing(2);
    title_label = new QLabel(header);
    QFont big = title_label->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.45);
    title_label->setFont(big);
    words->addWidget(title_label);
    words->addWidget(quiet_label(qs(text::kTagline), header));
    row->addLayout(words, 1);

    const auto tool = [header, row](const QString& text, const char* theme, QStyle::StandardPixmap fallback) {
        auto* b = new QToolButton(header);
        b->setText(text);
        b->setIcon(desktop_icon(QString::fromLatin1(theme), header->style()->standardIcon(fallback)));
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::StrongFocus);
        row->addWidget(b, 0, Qt::AlignTop);
        return b;
    };
    help_button = tool(tr("Help"), "help-browser", QStyle::SP_DialogHelpButton);
    help_button->setShortcut(QKeySequence::HelpContents);
    help_button->setToolTip(qs(text::kHelpTip));
    about_button = tool(tr("About"), "help-about", QStyle::SP_MessageBoxInformation);
    contact_button = tool(qs(text::kContactUs), "mail-send", QStyle::SP_CommandLink);
    return header;
}

QWidget* MainWindow::build_help_panel() {
    auto* panel = new QFrame(this);
    panel->setAutoFillBackground(true);
    panel->setBackgroundRole(QPalette::AlternateBase);
    panel->setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(12, 10, 12, 10);
    row->setSpacing(12);
    auto* icon = new QLabel(panel);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(24, 24));
    icon->setAlignment(Qt::AlignTop);
    row->addWidget(icon);
    auto* text = make<QLabel>(Outlet::help_info, panel);
    text->setWordWrap(true);
    text->setTextFormat(Qt::PlainText);
    text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Room for three lines, so the window does not jump as the texts change.
    text->setMinimumHeight(text->fontMetrics().lineSpacing() * 3);
    row->addWidget(text, 1);
    follow(panel, {Outlet::help_info});
    return panel;
}

QWidget* MainWindow::build_button_bar() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(18, 10, 18, 12);
    exit_button = new QPushButton(tr("E&xit"), bar);
    exit_button->setObjectName(QStringLiteral("exit"));
    row->addWidget(exit_button);
    row->addStretch(1);
    auto* back = make<QPushButton>(Outlet::back_btn, tr("< &Back"), bar);
    auto* next = make<QPushButton>(Outlet::next_btn, tr("&Next >"), bar);
    back->setEnabled(false);
    next->setDefault(true);
    for (QPushButton* b : {exit_button, back, next}) b->setMinimumWidth(110);
    row->addWidget(back);
    row->addWidget(next);
    return bar;
}

void MainWindow::set_tab_order() {
    // Buttons answer Return themselves when they have the focus; elsewhere Return means Next.
    for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(true);
    std::vector<QWidget*> order;
    const auto add = [&order](QWidget* w) {
        if (w != nullptr) order.push_back(w);
    };
    for (const Outlet o : {Outlet::rec_mode_Photo, Outlet::rec_mode_Video, Outlet::rec_mode_RawFile,
                           Outlet::rec_mode_Audio, Outlet::idTableView})
        add(outlet(o));
    add(add_image_button);
    add(remove_image_button);
    add(outlet(Outlet::refresh_btn));
    for (const bool sig : {false, true}) {
        for (const Outlet o : {Outlet::entire_disk_rd, Outlet::sector_range_rd, Outlet::Start_slider_val,
                               Outlet::Start_Slider, Outlet::End_slider_val, Outlet::End_Slider, Outlet::browse_path})
            add(outlet(in_set(o, sig)));
        if (!sig) add(outlet(Outlet::Thro_Mode_Chk));
    }
    for (const Outlet o : {Outlet::select_unselect_Chk, Outlet::idCheckTableView, Outlet::Thro_Mode_Chk_SIG,
                           Outlet::imageBrowser, Outlet::imageBrowser_2, Outlet::idSigTableView, Outlet::stop_scan,
                           Outlet::zoom_slider, Outlet::open_folder, Outlet::open_folder_Sig})
        add(outlet(o));
    screen_controls_ = order;
    add(exit_button);
    add(outlet(Outlet::back_btn));
    add(outlet(Outlet::next_btn));
    add(help_button);
    add(about_button);
    add(contact_button);
    for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void MainWindow::focus_first_control() {
    for (QWidget* w : screen_controls_) {
        if (!w->isVisibleTo(this) || !w->isEnabled() || (w->focusPolicy() & Qt::TabFocus) == 0) continue;
        // A group of radio buttons is one stop, entered at the one that is on.
        if (auto* radio = qobject_cast<QRadioButton*>(w); radio != nullptr && !radio->isChecked())
            for (QRadioButton* sibling : radio->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly))
                if (sibling->isChecked() && sibling->isVisibleTo(this)) w = sibling;
        w->setFocus(Qt::TabFocusReason);
        return;
    }
}

void MainWindow::set_outlet_hidden(Outlet o, bool hidden) {
    outlets_.set_hidden(o, hidden);
    refresh();
}

QStringList MainWindow::step_names() const {
    if (Recovery_MODE == kPhotoMode) return {tr("Choose drive"), tr("Search options"), tr("Recover photos")};
    return {tr("Choose drive"), tr("Search options"), tr("Choose file types"), tr("Recover files")};
}

void MainWindow::refresh() {
    outlets_.show_parts();
    for (std::size_t i = 0; i < info_boxes_.size(); ++i) {
        const bool sig = i == 1;
        if (info_boxes_[i] == nullptr) continue;
        const bool range = !outlet_hidden(in_set(Outlet::Start_Sec_Box, sig));
        info_boxes_[i]->setTitle(range ? tr("Sectors to search") : qs(text::kSelectedDrive));
    }
    for (const Page& page : pages_)
        if (!page.widget->isHidden()) step_ = page.step;
    const QStringList names = step_names();
    // In photo mode the results are the third step.
    const int shown = step_ == kResultsStep ? static_cast<int>(names.size()) - 1 : step_;
    strip_->show_steps(names, shown);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The window never closes by itself: the exit question decides, and a "Yes" ends the program.
    event->ignore();
    if (close_requested) close_requested();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier &&
        return_pressed) {
        return_pressed();
        return;
    }
    if (event->key() == Qt::Key_Escape && escape_pressed) {
        escape_pressed();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace salvex::gui
