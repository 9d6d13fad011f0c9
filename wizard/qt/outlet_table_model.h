#pragma once
// The three tables of the window ask the controller's shared table data source
// for their rows; each column keeps the controller's identifier ("Collumn1",
// "State", "NoOfFile", ...) while its header reads as words.
#include <QAbstractTableModel>
#include <QIcon>
#include <functional>
#include <string>
#include <vector>

#include "app/outlets.h"

class MyTableController;

namespace salvex::gui {

class OutletTableModel : public QAbstractTableModel {
public:
    struct Column {
        std::string identifier;
        QString header;
        bool check_box = false;  // "1" or "0", shown and changed as a check box
    };
    // The header role that gives a column's identifier.
    static constexpr int kIdentifierRole = Qt::UserRole + 1;

    OutletTableModel(Outlet table, std::vector<Column> columns, QObject* parent = nullptr);
    void set_controller(MyTableController* controller) { controller_ = controller; }
    void reload();
    // The icon at the start of each row, when wanted.
    std::function<QIcon(int row)> row_icon;

    Outlet table() const { return table_; }
    const std::string& identifier(int column) const { return columns_.at(static_cast<std::size_t>(column)).identifier; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    std::string cell(int row, int column) const;

    Outlet table_;
    std::vector<Column> columns_;
    MyTableController* controller_ = nullptr;
};

}  // namespace salvex::gui
