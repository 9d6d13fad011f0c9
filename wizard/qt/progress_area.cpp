// Under the screens during and after a search: its progress, the Stop button,
// the zoom of the thumbnails and Open Folder.
#include "wizard/qt/main_window.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStyle>

#include "app/texts/window.h"
#include "results/qt/qt_text.h"
#include "wizard/qt/screen_layout.h"

namespace salvex::gui {

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
    stop->setToolTip(qs(text::kStopTip));
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

}  // namespace salvex::gui
