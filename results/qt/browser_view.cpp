#include "results/qt/browser_view.h"

#include <QDataStream>
#include <QDrag>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <algorithm>

namespace salvex::gui {

namespace {

// Internal only: no file names or URLs, so nothing can be dragged out of the browser.
const QString kRowsFormat = QStringLiteral("application/x-salvex-browser-rows");

}  // namespace

BrowserView::BrowserView(QWidget* parent) : QListView(parent) { enable_reordering(); }

void BrowserView::enable_reordering() {
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    viewport()->setAcceptDrops(true);
}

BrowserView::Rows BrowserView::selected_rows() const {
    Rows rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        rows.push_back(static_cast<std::size_t>(index.row()));
    std::sort(rows.begin(), rows.end());
    return rows;
}

QMimeData* BrowserView::rows_payload(const Rows& rows) const {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << reinterpret_cast<quintptr>(this) << static_cast<quint64>(rows.size());
    for (const std::size_t row : rows) out << static_cast<quint64>(row);
    auto* payload = new QMimeData;
    payload->setData(kRowsFormat, bytes);
    return payload;
}

bool BrowserView::ours(const QMimeData* payload) const {
    if (payload == nullptr || !payload->hasFormat(kRowsFormat)) return false;
    QDataStream in(payload->data(kRowsFormat));
    quintptr from = 0;
    in >> from;
    return from == reinterpret_cast<quintptr>(this);
}

std::size_t BrowserView::destination_at(const QPoint& point) const {
    const QModelIndex index = indexAt(point);
    const int rows = model() != nullptr ? model()->rowCount() : 0;
    if (!index.isValid()) return static_cast<std::size_t>(rows);
    const QRect cell = visualRect(index);
    const bool past_middle =
        viewMode() == IconMode ? point.x() > cell.center().x() : point.y() > cell.center().y();
    return static_cast<std::size_t>(index.row() + (past_middle ? 1 : 0));
}

void BrowserView::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) && remove_rows) {
        Rows rows = selected_rows();
        if (!rows.empty()) remove_rows(std::move(rows));
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void BrowserView::startDrag(Qt::DropActions) {
    const Rows rows = selected_rows();
    if (rows.empty()) return;
    auto* drag = new QDrag(this);
    drag->setMimeData(rows_payload(rows));
    const QVariant icon = model()->data(model()->index(static_cast<int>(rows.front()), 0), Qt::DecorationRole);
    if (icon.canConvert<QIcon>()) drag->setPixmap(icon.value<QIcon>().pixmap(iconSize()));
    // The move happens in dropEvent; whatever exec() answers, nothing is removed here.
    drag->exec(Qt::MoveAction);
}

void BrowserView::dragEnterEvent(QDragEnterEvent* event) {
    if (ours(event->mimeData())) event->acceptProposedAction();
    else event->ignore();
}

void BrowserView::dragMoveEvent(QDragMoveEvent* event) {
    if (ours(event->mimeData())) event->acceptProposedAction();
    else event->ignore();
}

void BrowserView::dropEvent(QDropEvent* event) {
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

}  // namespace salvex::gui
