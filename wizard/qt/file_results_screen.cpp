// The other modes' results: the files found, a summary by type, and a preview.
#include "wizard/qt/main_window.h"

#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>
#include <QVideoWidget>

#include "results/qt/browser_view.h"
#include "results/qt/image_browser_model.h"
#include "wizard/qt/outlet_table_model.h"
#include "wizard/qt/preview_pane.h"
#include "wizard/qt/screen_layout.h"
#include "wizard/qt/table_setup.h"

namespace salvex::gui {

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
    set_up_table(summary, summary_model, TableRows::Unselectable, {2});
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

}  // namespace salvex::gui
