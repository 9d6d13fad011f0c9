#pragma once
// Either browser of the results screens: the thumbnails (a list of icons) and the
// file list (a table with Name, Type, Size and Pass columns, sortable). The user
// reorders items by dragging them and removes them with Delete. The view only
// reports what the user asked for, in rows of the controller's item list; the
// controller changes its list and the model follows.
#include <QListView>
#include <QTreeView>
#include <cstddef>
#include <functional>
#include <vector>

class QMimeData;

namespace salvex::gui {

template <class Base>
class ReorderingView : public Base {
public:
    using Rows = std::vector<std::size_t>;
    explicit ReorderingView(QWidget* parent = nullptr);
    // Setting the view mode or the movement turns dragging off again: call this after them.
    void enable_reordering();

    std::function<void(Rows)> remove_rows;
    std::function<void(Rows, std::size_t destination)> move_rows;

    // The row of the controller's list behind an index of this view (a sorted
    // view shows them in another order).
    int item_row(const QModelIndex& index) const;
    // The drag's payload: the rows being dragged, tagged with the view they left,
    // so that nothing dragged in from elsewhere is ever taken as a move.
    QMimeData* rows_payload(const Rows& rows) const;
    // Where items dropped at this point of the viewport land: before the item under
    // it, or after it when the point lies past its middle; after the last one on
    // empty space.
    std::size_t destination_at(const QPoint& point) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void startDrag(Qt::DropActions supported) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    Rows selected_rows() const;
    bool ours(const QMimeData* payload) const;
    // A list sorted by a column keeps its order: dragging would put nothing where it is dropped.
    bool sorted() const;
};

using BrowserView = ReorderingView<QListView>;
using FileListView = ReorderingView<QTreeView>;

extern template class ReorderingView<QListView>;
extern template class ReorderingView<QTreeView>;

}  // namespace salvex::gui
