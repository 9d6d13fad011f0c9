// The first screen: what to recover, and from which drive, card or disk image.
#include "wizard/qt/main_window.h"

#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTableView>

#include "app/texts/window.h"
#include "results/qt/image_browser_model.h"
#include "results/qt/qt_text.h"
#include "wizard/qt/outlet_table_model.h"
#include "wizard/qt/screen_layout.h"
#include "wizard/qt/table_setup.h"

namespace salvex::gui {

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
    set_up_table(table, device_model, TableRows::Selectable, {0, 1});
    table->setWordWrap(false);
    table->horizontalHeader()->setHighlightSections(false);
    // A disk image's full path would squeeze the other columns: its middle gives way.
    table->setTextElideMode(Qt::ElideMiddle);
    table->setIconSize(QSize(22, 22));
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 14);
    table->setAccessibleName(tr("Drives and memory cards"));
    caption->setBuddy(table);
    fl->addWidget(table);
    l->addWidget(frame, 1);

    auto* refresh = make<QFrame>(Outlet::refresh_Box, page);
    auto* rl = new QHBoxLayout(refresh);
    rl->setContentsMargins(0, 0, 0, 0);
    auto* hint = make<QLabel>(Outlet::refresh_Label,
                              qs(text::kRefreshHint), refresh);
    hint->setWordWrap(true);
    rl->addWidget(hint, 1);
    add_image_button = new QPushButton(tr("Add Disk &Image\u2026"), refresh);
    add_image_button->setObjectName(QStringLiteral("add_image"));
    add_image_button->setToolTip(qs(text::kAddImageTip));
    rl->addWidget(add_image_button);
    remove_image_button = new QPushButton(tr("Re&move Image"), refresh);
    remove_image_button->setObjectName(QStringLiteral("remove_image"));
    remove_image_button->setToolTip(qs(text::kRemoveImageTip));
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

}  // namespace salvex::gui
