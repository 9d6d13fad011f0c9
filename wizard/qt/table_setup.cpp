#include "wizard/qt/table_setup.h"

#include <QHeaderView>
#include <QTableView>

namespace salvex::gui {

void set_up_table(QTableView* table, QAbstractItemModel* model, TableRows rows, std::initializer_list<int> stretched) {
    table->setModel(model);
    if (rows == TableRows::Selectable) {
        table->setSelectionBehavior(QAbstractItemView::SelectRows);
        table->setSelectionMode(QAbstractItemView::SingleSelection);
    } else {
        table->setSelectionMode(QAbstractItemView::NoSelection);
    }
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setAlternatingRowColors(true);
    table->setShowGrid(false);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    for (const int column : stretched) table->horizontalHeader()->setSectionResizeMode(column, QHeaderView::Stretch);
    // One Tab stop: the arrows move inside the table, Tab leaves it.
    table->setTabKeyNavigation(false);
}

}  // namespace salvex::gui
