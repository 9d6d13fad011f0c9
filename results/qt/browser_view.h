#pragma once
// Either browser of the results screens: the user reorders items by dragging them
// and removes them with Delete. The view only reports what the user asked for; the
// controller changes its item list and the model follows.
#include <QListView>
#include <cstddef>
#include <functional>
#include <vector>

class QMimeData;

namespace salvex::gui {

class BrowserView : public QListView {
public:
    using Rows = std::vector<std::size_t>;
    explicit BrowserView(QWidget* parent = nullptr);
    // Setting the view mode or the movement turns dragging off again: call this after them.
    void enable_reordering();

    std::function<void(Rows)> remove_rows;
    std::function<void(Rows, std::size_t destination)> move_rows;

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
};

}  // namespace salvex::gui
