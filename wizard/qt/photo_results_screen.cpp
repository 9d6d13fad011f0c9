// The photo search's results: a grid of thumbnails.
#include "wizard/qt/main_window.h"

#include <QFrame>
#include <QListView>

#include "results/qt/browser_view.h"
#include "results/qt/image_browser_model.h"
#include "wizard/qt/screen_layout.h"

namespace salvex::gui {

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

}  // namespace salvex::gui
