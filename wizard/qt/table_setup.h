#pragma once
// How every table of the window looks and behaves: no grid, no row numbers,
// rows in alternating colours, headers on the left, columns as wide as their
// contents but for the ones that take up the rest, and one Tab stop.
#include <QAbstractItemView>
#include <initializer_list>

class QAbstractItemModel;
class QTableView;

namespace salvex::gui {

enum class TableRows { Selectable, Unselectable };

void set_up_table(QTableView* table, QAbstractItemModel* model, TableRows rows, std::initializer_list<int> stretched);

}  // namespace salvex::gui
