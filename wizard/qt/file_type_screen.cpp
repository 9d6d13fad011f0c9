// The file types to search for, outside photo mode.
#include "wizard/qt/main_window.h"

#include <QCheckBox>
#include <QFrame>
#include <QHeaderView>
#include <QTableView>

#include "wizard/qt/outlet_table_model.h"
#include "wizard/qt/screen_layout.h"
#include "wizard/qt/table_setup.h"

namespace salvex::gui {

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
    set_up_table(table, check_model, TableRows::Selectable, {2});
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().lineSpacing() + 10);
    table->setAccessibleName(tr("File types"));
    fl->addWidget(table);
    l->addWidget(frame, 1);
    l->addWidget(make<QCheckBox>(Outlet::Thro_Mode_Chk_SIG,
                                 tr("Also run a &thorough search (finds more)"), page));
    pages_.push_back({page, kTypesStep});
    follow(page, {Outlet::idChecktablesclview});
    return page;
}

}  // namespace salvex::gui
