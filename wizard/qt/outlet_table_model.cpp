#include "wizard/qt/outlet_table_model.h"

#include "app/my_table_controller.h"
#include "results/qt/qt_text.h"

namespace salvex::gui {

OutletTableModel::OutletTableModel(Outlet table, std::vector<Column> columns, QObject* parent)
    : QAbstractTableModel(parent), table_(table), columns_(std::move(columns)) {}

void OutletTableModel::reload() {
    beginResetModel();
    endResetModel();
}

int OutletTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || controller_ == nullptr) return 0;
    return static_cast<int>(controller_->numberOfRowsInTableView(table_));
}

int OutletTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

std::string OutletTableModel::cell(int row, int column) const {
    if (controller_ == nullptr) return {};
    return controller_->objectValueForTableColumn(table_, identifier(column), row);
}

QVariant OutletTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const Column& column = columns_.at(static_cast<std::size_t>(index.column()));
    if (column.check_box) {
        if (role == Qt::CheckStateRole) return cell(index.row(), index.column()) == "1" ? Qt::Checked : Qt::Unchecked;
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole: {
            // The formatted sizes carry blanks for a fixed-width font ("64.00  MB "); in
            // proportional type they read better with single blanks.
            return qs(cell(index.row(), index.column())).simplified();
        }
        case Qt::DecorationRole:
            if (index.column() == 0 && row_icon) return row_icon(index.row());
            return {};
        default: return {};
    }
}

QVariant OutletTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    const Column& column = columns_.at(static_cast<std::size_t>(section));
    if (role == Qt::DisplayRole) return column.header;
    if (role == kIdentifierRole) return qs(column.identifier);
    return {};
}

Qt::ItemFlags OutletTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && columns_.at(static_cast<std::size_t>(index.column())).check_box) f |= Qt::ItemIsUserCheckable;
    return f;
}

bool OutletTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (controller_ == nullptr || !index.isValid() || role != Qt::CheckStateRole) return false;
    const Column& column = columns_.at(static_cast<std::size_t>(index.column()));
    if (!column.check_box) return false;
    const bool on = value.toInt() == Qt::Checked;
    controller_->setObjectValue(table_, column.identifier, index.row(), on ? "1" : "0");
    emit dataChanged(index, index, {Qt::CheckStateRole});
    // The table's own click action: keeps the select-all box in step with the rows.
    controller_->clickTable(table_, column.identifier);
    return true;
}

}  // namespace salvex::gui
