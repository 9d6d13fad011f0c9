#include "wizard/qt/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QSortFilterProxyModel>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <QVideoWidget>
#include <algorithm>

#include "app/globals.h"
#include "results/qt/browser_view.h"
#include "results/qt/image_browser_model.h"
#include "results/qt/thumbnail_cache.h"
#include "wizard/qt/app_icon.h"
#include "wizard/qt/outlet_table_model.h"
#include "wizard/qt/preview_pane.h"
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
    words->addWidget(quiet_label(tr("Brings back deleted photos, videos, documents and audio. Your card is only "
                                    "read, never changed."),
                                 header));
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
    help_button->setToolTip(tr("Open the user guide (F1)"));
    about_button = tool(tr("About"), "help-about", QStyle::SP_MessageBoxInformation);
    contact_button = tool(tr("Contact Us"), "mail-send", QStyle::SP_CommandLink);
    return header;
}

QWidget* MainWindow::build_device_page() {
    auto* page = new QWidget(this);
    auto* l = column(page);
    l->setSpacing(10);

    auto* modes = make<QGroupBox>(Outlet::rec_mode_Box, tr("What do you want to recover?"), page);
    auto* mode_row = new QHBoxLayout(modes);
    mode_row->setSpacing(24);
    mode_row->addWidget(make<QRadioButton>(Outlet::rec_mode_Photo, tr("&Photos"), modes));
    mode_row->addWidget(make<QRadioButton>(Outlet::rec_mode_Video, tr("&Videos"), modes));
    mode_row->addWidget(make<QRadioButton>(Outlet::rec_mode_RawFile, tr("Docu&ments and other files"), modes));
    mode_row->addWidget(make<QRadioButton>(Outlet::rec_mode_Audio, tr("&Audio"), modes));
    mode_row->addStretch(1);
    as<QRadioButton>(Outlet::rec_mode_Photo)->setChecked(true);
    l->addWidget(modes);

    auto* caption = new QLabel(tr("&Drives and memory cards:"), page);
    l->addWidget(caption);
    auto* frame = make<QFrame>(Outlet::idtablesclview, page);
    auto* fl = column(frame);
    device_model = new OutletTableModel(Outlet::idTableView,
                                        {{"Collumn1", tr("Drive")},
                                         {"Collumn2", tr("Volume Name")},
                                         {"Collumn3", tr("File System")},
                                         {"Collumn4", tr("Capacity")},
                                         {"Collumn5", tr("Parent Disk")},
                                         {"Collumn6", tr("Sectors")}},
                                        this);
    auto* table = make<QTableView>(Outlet::idTableView, frame);
    table->setModel(device_model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setAlternatingRowColors(true);
    table->setShowGrid(false);
    table->setWordWrap(false);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setHighlightSections(false);
    table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    // A disk image's full path would squeeze the other columns: its middle gives way.
    table->setTextElideMode(Qt::ElideMiddle);
    table->setIconSize(QSize(22, 22));
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 14);
    table->setAccessibleName(tr("Drives and memory cards"));
    // One Tab stop: the arrows move inside the list, Tab leaves it.
    table->setTabKeyNavigation(false);
    caption->setBuddy(table);
    fl->addWidget(table);
    l->addWidget(frame, 1);

    auto* refresh = make<QFrame>(Outlet::refresh_Box, page);
    auto* rl = new QHBoxLayout(refresh);
    rl->setContentsMargins(0, 0, 0, 0);
    auto* hint = make<QLabel>(Outlet::refresh_Label,
                              tr("Card not in the list? Connect it, wait a few seconds, then refresh the list."), refresh);
    hint->setWordWrap(true);
    rl->addWidget(hint, 1);
    add_image_button = new QPushButton(tr("Add Disk &Image\u2026"), refresh);
    add_image_button->setObjectName(QStringLiteral("add_image"));
    add_image_button->setToolTip(tr("Search a copy (image file) of a card instead of the card itself"));
    rl->addWidget(add_image_button);
    remove_image_button = new QPushButton(tr("Re&move Image"), refresh);
    remove_image_button->setObjectName(QStringLiteral("remove_image"));
    remove_image_button->setToolTip(tr("Take the selected disk image off the list (the file itself stays)"));
    remove_image_button->hide();
    rl->addWidget(remove_image_button);
    auto* refresh_btn = make<QPushButton>(Outlet::refresh_btn, tr("&Refresh List"), refresh);
    refresh_btn->setIcon(desktop_icon(QStringLiteral("view-refresh"), style()->standardIcon(QStyle::SP_BrowserReload)));
    rl->addWidget(refresh_btn);
    l->addWidget(refresh);

    pages_.push_back({page, kDriveStep});
    follow(page, {Outlet::idtablesclview});
    return page;
}

QWidget* MainWindow::build_sector_box(bool sig, bool end) {
    const auto o = [sig](Outlet photo) { return in_set(photo, sig); };
    const Outlet box_o = o(end ? Outlet::End_Sec_Box : Outlet::Start_Sec_Box);
    auto* box = make<QGroupBox>(box_o, end ? tr("Last sector") : tr("First sector"), this);
    auto* g = new QGridLayout(box);
    g->setVerticalSpacing(6);
    auto* current = make<QLabel>(o(end ? Outlet::End_Sec_curr : Outlet::Start_Sec_curr),
                                 end ? tr("&End sector:") : tr("&Start sector:"), box);
    auto* field = make<QLineEdit>(o(end ? Outlet::End_slider_val : Outlet::Start_slider_val), box);
    field->setMaxLength(24);
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0")) * 22);
    field->setAlignment(Qt::AlignRight);
    // Sector numbers are whole numbers: anything else is not taken at all.
    field->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
    current->setBuddy(field);
    auto* allowed = new QLabel(box);
    allowed->setObjectName(field->objectName() + QStringLiteral("_allowed"));
    allowed->setForegroundRole(QPalette::PlaceholderText);
    auto* slider = make<QSlider>(o(end ? Outlet::End_Slider : Outlet::Start_Slider), Qt::Horizontal, box);
    slider->setAccessibleName(end ? tr("End sector") : tr("Start sector"));
    g->addWidget(current, 0, 0);
    g->addWidget(field, 0, 1, 1, 1, Qt::AlignLeft);
    g->addWidget(allowed, 0, 2, 1, 2);
    g->addWidget(slider, 1, 0, 1, 4);
    auto* min = make<QLabel>(o(end ? Outlet::End_Sec_Min : Outlet::Start_Sec_Min), tr("From"), box);
    auto* min_val = make<QLabel>(o(end ? Outlet::End_Sec_Min_val : Outlet::Start_Sec_Min_val), box);
    auto* max = make<QLabel>(o(end ? Outlet::End_Sec_Max : Outlet::Start_Sec_Max), tr("to"), box);
    auto* max_val = make<QLabel>(o(end ? Outlet::End_Sec_Max_val : Outlet::Start_Sec_Max_val), box);
    for (QLabel* label : {min, min_val, max, max_val}) label->setForegroundRole(QPalette::PlaceholderText);
    auto* ends = new QHBoxLayout;
    ends->addWidget(min);
    ends->addWidget(min_val);
    ends->addStretch(1);
    ends->addWidget(max);
    ends->addWidget(max_val);
    g->addLayout(ends, 2, 0, 1, 4);
    g->setColumnStretch(3, 1);
    return box;
}

QWidget* MainWindow::build_range_page(bool sig) {
    const auto o = [sig](Outlet photo) { return in_set(photo, sig); };
    auto* page = new QWidget(this);
    auto* l = column(page);
    l->setSpacing(12);

    auto* criteria = make<QGroupBox>(o(Outlet::searching_criteria_Box), tr("How much of the drive to search"), page);
    auto* cl = new QHBoxLayout(criteria);
    cl->setSpacing(24);
    cl->addWidget(make<QRadioButton>(o(Outlet::entire_disk_rd), tr("E&ntire disk (recommended)"), criteria));
    cl->addWidget(make<QRadioButton>(o(Outlet::sector_range_rd), tr("Sector &range"), criteria));
    cl->addStretch(1);
    l->addWidget(criteria);

    auto* info = make<QGroupBox>(o(Outlet::disk_sector_info_Box), tr("Selected drive"), page);
    info_boxes_.at(sig ? 1 : 0) = info;
    auto* il = column(info, 0);
    il->setContentsMargins(12, 10, 12, 12);
    auto* details = new QWidget(info);
    auto* grid = new QGridLayout(details);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(8);
    const Outlet captions[] = {Outlet::disk, Outlet::vol_name, Outlet::file_system,
                               Outlet::size, Outlet::start_sector_entire, Outlet::end_sector_entire};
    const Outlet values[] = {Outlet::disk_val, Outlet::vol_name_val, Outlet::file_system_val,
                             Outlet::size_val, Outlet::start_sector_entire_val, Outlet::end_sector_entire_val};
    std::vector<Outlet> detail_controls;
    for (int i = 0; i < 6; ++i) {
        auto* caption = make<QLabel>(o(captions[i]), details);
        caption->setForegroundRole(QPalette::PlaceholderText);
        auto* value = make<QLabel>(o(values[i]), details);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        const int r = i / 2, c = (i % 2) * 2;
        grid->addWidget(caption, r, c);
        grid->addWidget(value, r, c + 1);
        detail_controls.push_back(o(values[i]));
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    il->addWidget(details);
    follow(details, detail_controls);

    auto* range = new QWidget(info);
    auto* rl = column(range);
    rl->setSpacing(10);
    rl->addWidget(make<QLabel>(o(Outlet::Sector_Range_Info),
                               tr("Drag the sliders, or type the numbers of the first and the last sector to search. "
                                  "A sector is 512 bytes; sector 0 is the start of the drive."),
                               range));
    as<QLabel>(o(Outlet::Sector_Range_Info))->setWordWrap(true);
    auto* boxes = new QHBoxLayout;
    boxes->setSpacing(12);
    boxes->addWidget(build_sector_box(sig, false), 1);
    boxes->addWidget(build_sector_box(sig, true), 1);
    rl->addLayout(boxes);
    il->addWidget(range);
    follow(range, {o(Outlet::Start_Sec_Box), o(Outlet::End_Sec_Box), o(Outlet::Sector_Range_Info)});
    l->addWidget(info);

    auto* browse = make<QGroupBox>(o(Outlet::browse_Box), tr("Where to save the recovered files"), page);
    auto* browse_column = new QVBoxLayout(browse);
    auto* bl = new QHBoxLayout;
    browse_column->addLayout(bl);
    auto* path_label = make<QLabel>(o(Outlet::path_label), tr("Folder:"), browse);
    auto* path = make<QLineEdit>(o(Outlet::path), browse);
    path->setReadOnly(true);
    path->setPlaceholderText(tr("No folder chosen yet \u2013 click Browse to choose one"));
    path->setFocusPolicy(Qt::ClickFocus);
    auto* browse_btn = make<QPushButton>(o(Outlet::browse_path), tr("Br&owse\u2026"), browse);
    browse_btn->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    path_label->setBuddy(browse_btn);
    bl->addWidget(path_label);
    bl->addWidget(path, 1);
    bl->addWidget(browse_btn);
    auto* exact = make<QCheckBox>(o(Outlet::exact_files_chk), tr("&Cut each file at its own end"), browse);
    exact->setChecked(true);
    exact->setToolTip(tr("Each file is checked against its format, saved once under its real type and cut where "
                         "its data ends. Untick to keep every find as whole sectors, as found on the card."));
    browse_column->addWidget(exact);
    l->addWidget(browse);

    // Open Folder belongs to the set but shows on the results screen, under the results.
    make<QPushButton>(o(Outlet::open_folder), tr("&Open Folder"), this)
        ->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));

    if (!sig) {
        auto* thorough = new QWidget(page);
        auto* tl = new QGridLayout(thorough);
        tl->setContentsMargins(2, 0, 0, 0);
        tl->setHorizontalSpacing(6);
        auto* check = make<QCheckBox>(Outlet::Thro_Mode_Chk, thorough);
        auto* label = make<QLabel>(Outlet::Thro_Mode_Chk_Label, tr("Also run a &thorough search"), thorough);
        label->setBuddy(check);
        check->setAccessibleName(tr("Also run a thorough search"));
        auto* more = make<QLabel>(Outlet::Thro_Mode_Info,
                                  tr("It looks for more kinds of photos after the first search and takes longer. "
                                     "What it finds is kept in a folder of its own."),
                                  thorough);
        more->setWordWrap(true);
        more->setForegroundRole(QPalette::PlaceholderText);
        tl->addWidget(check, 0, 0);
        tl->addWidget(label, 0, 1);
        tl->addWidget(more, 1, 1);
        tl->setColumnStretch(1, 1);
        l->addWidget(thorough);
        follow(thorough, {Outlet::Thro_Mode_Chk, Outlet::Thro_Mode_Chk_Label, Outlet::Thro_Mode_Info});
    }
    l->addStretch(1);
    pages_.push_back({page, kOptionsStep});
    follow(page, {o(Outlet::searching_criteria_Box)});
    return page;
}

QWidget* MainWindow::build_file_type_page() {
    auto* page = new QWidget(this);
    auto* l = column(page);
    l->setSpacing(10);
    l->addWidget(make<QCheckBox>(Outlet::select_unselect_Chk, tr("Select &all file types"), page));
    auto* frame = make<QFrame>(Outlet::idChecktablesclview, page);
    auto* fl = column(frame);
    check_model = new OutletTableModel(Outlet::idCheckTableView,
                                       {{"State", QString(), true},
                                        {"Extension", tr("Type")},
                                        {"Description", tr("Description")},
                                        {"Thoro", tr("Thorough only")}},
                                       this);
    auto* table = make<QTableView>(Outlet::idCheckTableView, frame);
    table->setModel(check_model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setAlternatingRowColors(true);
    table->setShowGrid(false);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().lineSpacing() + 10);
    table->setAccessibleName(tr("File types"));
    table->setTabKeyNavigation(false);
    fl->addWidget(table);
    l->addWidget(frame, 1);
    l->addWidget(make<QCheckBox>(Outlet::Thro_Mode_Chk_SIG,
                                 tr("Also run a &thorough search (finds more, takes longer)"), page));
    pages_.push_back({page, kTypesStep});
    follow(page, {Outlet::idChecktablesclview});
    return page;
}

QWidget* MainWindow::build_photo_results_page() {
    auto* page = make<QFrame>(Outlet::idImagesclview, this);
    auto* l = column(page);
    auto* browser = make<BrowserView>(Outlet::imageBrowser, page);
    browser->setModel(thumbnails);
    browser->setViewMode(QListView::IconMode);
    browser->setResizeMode(QListView::Adjust);
    browser->setMovement(QListView::Static);
    browser->setUniformItemSizes(true);
    browser->setLayoutMode(QListView::Batched);
    browser->setBatchSize(200);
    browser->setSelectionMode(QAbstractItemView::ExtendedSelection);
    browser->setTextElideMode(Qt::ElideMiddle);
    browser->setWordWrap(false);
    browser->setSpacing(4);
    browser->setAccessibleName(tr("Photos found"));
    browser->enable_reordering();
    l->addWidget(browser);
    pages_.push_back({page, kResultsStep});
    return page;
}

QWidget* MainWindow::build_file_results_page() {
    auto* page = new QWidget(this);
    auto* row = new QHBoxLayout(page);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    auto* lists = new QVBoxLayout;
    auto* files_frame = make<QFrame>(Outlet::idImagesclview_2, page);
    auto* ff = column(files_frame);
    auto* files = make<FileListView>(Outlet::imageBrowser_2, files_frame);
    // In the order found until the user sorts by a column; a third click on the
    // column gives that order back.
    auto* sorted = new QSortFilterProxyModel(this);
    sorted->setSourceModel(file_list);
    sorted->setSortRole(ImageBrowserModel::kSortRole);
    files->setModel(sorted);
    files->header()->setSortIndicatorClearable(true);
    files->header()->setSortIndicator(-1, Qt::AscendingOrder);
    files->setSortingEnabled(true);
    files->setRootIsDecorated(false);
    files->setUniformRowHeights(true);
    files->setAllColumnsShowFocus(true);
    files->setSelectionBehavior(QAbstractItemView::SelectRows);
    files->setIconSize(QSize(16, 16));
    files->setAccessibleName(tr("Files found"));
    // Fixed widths: measuring the contents again for every file listed would cost
    // the search its speed.
    const QFontMetrics metrics = files->fontMetrics();
    QHeaderView* columns = files->header();
    columns->setStretchLastSection(false);
    columns->setSectionResizeMode(ImageBrowserModel::kName, QHeaderView::Stretch);
    columns->resizeSection(ImageBrowserModel::kType, metrics.horizontalAdvance(QStringLiteral("MMMMM")) + 16);
    columns->resizeSection(ImageBrowserModel::kSize, metrics.horizontalAdvance(QStringLiteral("1,000.0 MB")) + 24);
    columns->resizeSection(ImageBrowserModel::kPass, metrics.horizontalAdvance(tr("Thorough")) + 28);
    files->enable_reordering();
    ff->addWidget(files);
    lists->addWidget(files_frame, 3);

    auto* summary_frame = make<QFrame>(Outlet::idSigtablesclview, page);
    auto* sf = column(summary_frame);
    summary_model = new OutletTableModel(Outlet::idSigTableView,
                                         {{"FileTypes", tr("Type")},
                                          {"NoOfFile", tr("Files Found")},
                                          {"FileName", tr("Last File Found")},
                                          {"FilePath", tr("Saved As")},
                                          {"FileTypes_Hidden", QString()}},
                                         this);
    auto* summary = make<QTableView>(Outlet::idSigTableView, summary_frame);
    summary->setModel(summary_model);
    summary->setTabKeyNavigation(false);
    summary->setSelectionMode(QAbstractItemView::NoSelection);
    summary->setEditTriggers(QAbstractItemView::NoEditTriggers);
    summary->setShowGrid(false);
    summary->setAlternatingRowColors(true);
    summary->verticalHeader()->hide();
    summary->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    summary->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    summary->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    summary->setColumnHidden(3, true);
    summary->setColumnHidden(4, true);
    sf->addWidget(summary);
    lists->addWidget(summary_frame, 2);
    row->addLayout(lists, 1);

    auto* preview = make<QGroupBox>(Outlet::QuickLook_View_Box, tr("Preview"), page);
    auto* pl = column(preview, 10);
    auto* picture = make<QLabel>(Outlet::QuickLook_View, preview);
    picture->setAlignment(Qt::AlignCenter);
    picture->setMinimumSize(200, 200);
    auto* movie = make<QVideoWidget>(Outlet::mMovieView, preview);
    movie->setMinimumSize(200, 200);
    movie->setAspectRatioMode(Qt::KeepAspectRatio);
    preview_pane = new PreviewPane(movie, this);
    pl->addWidget(picture, 1);
    pl->addWidget(movie, 1);
    pl->addWidget(preview_pane->controls());
    preview_note = new QLabel(preview);
    preview_note->setObjectName(QStringLiteral("preview_note"));
    preview_note->setWordWrap(true);
    preview_note->hide();
    pl->addWidget(preview_note);
    follow(preview_pane->controls(), {Outlet::mMovieView});
    preview->setFixedWidth(260);
    row->addWidget(preview);
    pages_.push_back({page, kResultsStep});
    follow(page, {Outlet::idImagesclview_2});
    return page;
}

QWidget* MainWindow::build_progress_area() {
    auto* area = new QWidget(this);
    auto* l = column(area);
    l->setSpacing(6);
    auto* cleared = make<QLabel>(Outlet::ClearThumbnail_Label, area);
    cleared->setWordWrap(true);
    QFont italic = cleared->font();
    italic.setItalic(true);
    cleared->setFont(italic);
    l->addWidget(cleared);

    auto* mode = make<QLabel>(Outlet::Mode_label, area);
    mode->setForegroundRole(QPalette::PlaceholderText);
    l->addWidget(mode);
    auto* bar_row = new QHBoxLayout;
    auto* bar = make<QProgressBar>(Outlet::Progress_Horz, area);
    bar->setRange(0, 0);
    bar->setValue(0);
    bar->setAccessibleName(tr("Search progress"));
    bar_row->addWidget(bar, 1);
    auto* stop = make<QPushButton>(Outlet::stop_scan, tr("&Stop"), area);
    stop->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    stop->setToolTip(tr("Stop the search (Esc). Files found so far are kept."));
    bar_row->addWidget(stop);
    l->addLayout(bar_row);
    auto* sectors_row = new QHBoxLayout;
    sectors_row->addWidget(make<QLabel>(Outlet::sector_label, area));
    sectors_row->addStretch(1);
    scan_stats = new QLabel(area);
    scan_stats->setObjectName(QStringLiteral("scan_stats"));
    sectors_row->addWidget(scan_stats);
    l->addLayout(sectors_row);
    package_note = new QLabel(area);
    package_note->setObjectName(QStringLiteral("package_note"));
    package_note->setWordWrap(true);
    package_note->hide();
    l->addWidget(package_note);
    follow(scan_stats, {Outlet::sector_label});

    auto* footer = new QWidget(area);
    auto* fl = new QHBoxLayout(footer);
    fl->setContentsMargins(0, 0, 0, 0);
    auto* zoom_label = make<QLabel>(Outlet::zoom_label, tr("&Zoom:"), footer);
    auto* zoom = make<QSlider>(Outlet::zoom_slider, Qt::Horizontal, footer);
    zoom->setRange(0, 100);
    zoom->setFixedWidth(180);
    zoom_label->setBuddy(zoom);
    fl->addWidget(zoom_label);
    fl->addWidget(zoom);
    fl->addStretch(1);
    QWidget* open = outlet(Outlet::open_folder);
    QWidget* open_sig = outlet(Outlet::open_folder_Sig);
    open->setParent(footer);
    open_sig->setParent(footer);
    fl->addWidget(open);
    fl->addWidget(open_sig);
    l->addWidget(footer);
    follow(footer, {Outlet::zoom_label, Outlet::zoom_slider, Outlet::open_folder, Outlet::open_folder_Sig});
    follow(area, {Outlet::ClearThumbnail_Label, Outlet::Mode_label, Outlet::Progress_Horz, Outlet::sector_label,
                  Outlet::stop_scan, Outlet::zoom_label, Outlet::zoom_slider, Outlet::open_folder,
                  Outlet::open_folder_Sig});
    return area;
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
        info_boxes_[i]->setTitle(range ? tr("Sectors to search") : tr("Selected drive"));
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
