#include "results/qt/browser_view.h"

#include <QDataStream>
#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QSortFilterProxyModel>
#include <algorithm>
#include <type_traits>

namespace salvex::gui {

namespace {

// Internal only: no file names or URLs, so nothing can be dragged out of the browser.
const QString kRowsFormat = QStringLiteral("application/x-salvex-browser-rows");

}  // namespace

template <class Base>
ReorderingView<Base>::ReorderingView(QWidget* parent) : Base(parent) {
    enable_reordering();
}

template <class Base>
void ReorderingView<Base>::enable_reordering() {
    this->setDragEnabled(true);
    this->setDragDropMode(QAbstractItemView::DragDrop);
    this->setDefaultDropAction(Qt::MoveAction);
    this->viewport()->setAcceptDrops(true);
}

template <class Base>
int ReorderingView<Base>::item_row(const QModelIndex& index) const {
    if (const auto* proxy = qobject_cast<const QSortFilterProxyModel*>(this->model()))
        return proxy->mapToSource(index).row();
    return index.row();
}

template <class Base>
bool ReorderingView<Base>::sorted() const {
    if constexpr (std::is_base_of_v<QTreeView, Base>)
        return this->header()->sortIndicatorSection() >= 0 && this->header()->sortIndicatorSection() < this->header()->count();
    return false;
}

template <class Base>
typename ReorderingView<Base>::Rows ReorderingView<Base>::selected_rows() const {
    Rows rows;
    for (const QModelIndex& index : this->selectionModel()->selectedRows())
        rows.push_back(static_cast<std::size_t>(item_row(index)));
    std::sort(rows.begin(), rows.end());
    return rows;
}

template <class Base>
QMimeData* ReorderingView<Base>::rows_payload(const Rows& rows) const {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << reinterpret_cast<quintptr>(this) << static_cast<quint64>(rows.size());
    for (const std::size_t row : rows) out << static_cast<quint64>(row);
    auto* payload = new QMimeData;
    payload->setData(kRowsFormat, bytes);
    return payload;
}

template <class Base>
bool ReorderingView<Base>::ours(const QMimeData* payload) const {
    if (payload == nullptr || !payload->hasFormat(kRowsFormat) || sorted()) return false;
    QDataStream in(payload->data(kRowsFormat));
    quintptr from = 0;
    in >> from;
    return from == reinterpret_cast<quintptr>(this);
}

template <class Base>
std::size_t ReorderingView<Base>::destination_at(const QPoint& point) const {
    const QModelIndex index = this->indexAt(point);
    const int rows = this->model() != nullptr ? this->model()->rowCount() : 0;
    if (!index.isValid()) return static_cast<std::size_t>(rows);
    const QRect cell = this->visualRect(index);
    bool past_middle = point.y() > cell.center().y();
    if constexpr (std::is_base_of_v<QListView, Base>)
        if (this->viewMode() == QListView::IconMode) past_middle = point.x() > cell.center().x();
    return static_cast<std::size_t>(item_row(index) + (past_middle ? 1 : 0));
}

template <class Base>
void ReorderingView<Base>::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) && remove_rows) {
        Rows rows = selected_rows();
        if (!rows.empty()) remove_rows(std::move(rows));
        event->accept();
        return;
    }
    Base::keyPressEvent(event);
}

template <class Base>
void ReorderingView<Base>::startDrag(Qt::DropActions) {
    const Rows rows = selected_rows();
    if (rows.empty() || sorted()) return;
    auto* drag = new QDrag(this);
    drag->setMimeData(rows_payload(rows));
    const QModelIndex first = this->selectionModel()->selectedRows().value(0);
    const QVariant icon = this->model()->data(first, Qt::DecorationRole);
    if (icon.canConvert<QIcon>()) drag->setPixmap(icon.value<QIcon>().pixmap(this->iconSize()));
    // The move happens in dropEvent; whatever exec() answers, nothing is removed here.
    drag->exec(Qt::MoveAction);
}

template <class Base>
void ReorderingView<Base>::dragEnterEvent(QDragEnterEvent* event) {
    if (ours(event->mimeData())) event->acceptProposedAction();
    else event->ignore();
}

template <class Base>
void ReorderingView<Base>::dragMoveEvent(QDragMoveEvent* event) {
    if (ours(event->mimeData())) event->acceptProposedAction();
    else event->ignore();
}

template <class Base>
void ReorderingView<Base>::dropEvent(QDropEvent* event) {
    if (!ours(event->mimeData()) || !move_rows) {
        event->ignore();
        return;
    }
    QDataStream in(event->mimeData()->data(kRowsFormat));
    quintptr from = 0;
    quint64 count = 0;
    in >> from >> count;
    Rows rows;
    for (quint64 i = 0; i < count && !in.atEnd(); ++i) {
        quint64 row = 0;
        in >> row;
        rows.push_back(static_cast<std::size_t>(row));
    }
    const std::size_t destination = destination_at(event->position().toPoint());
    event->acceptProposedAction();
    move_rows(std::move(rows), destination);
}

template class ReorderingView<QListView>;
template class ReorderingView<QTreeView>;

}  // namespace salvex::gui
