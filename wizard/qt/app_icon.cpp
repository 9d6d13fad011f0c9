#include "wizard/qt/app_icon.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>

namespace salvex::gui {

namespace {

QPixmap paint(int side) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / 64.0, side / 64.0);
    const QPalette palette = QGuiApplication::palette();
    // The card, with its cut corner.
    QPainterPath card;
    card.moveTo(22, 4);
    card.lineTo(50, 4);
    card.quadTo(56, 4, 56, 10);
    card.lineTo(56, 54);
    card.quadTo(56, 60, 50, 60);
    card.lineTo(14, 60);
    card.quadTo(8, 60, 8, 54);
    card.lineTo(8, 18);
    card.closeSubpath();
    p.fillPath(card, palette.color(QPalette::Highlight));
    // Contacts along the top.
    p.setBrush(palette.color(QPalette::HighlightedText));
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) p.drawRoundedRect(QRectF(24 + i * 7.5, 9, 4.5, 10), 1, 1);
    // A circular arrow: what was lost comes back.
    p.setPen(QPen(palette.color(QPalette::HighlightedText), 4.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QRectF ring(19, 27, 26, 26);
    p.drawArc(ring, 100 * 16, 280 * 16);
    QPainterPath head;
    head.moveTo(30, 22);
    head.lineTo(39, 27.5);
    head.lineTo(30, 33);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(palette.color(QPalette::HighlightedText));
    p.drawPath(head);
    return pixmap;
}

}  // namespace

QIcon app_icon() {
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(paint(side));
    return icon;
}

}  // namespace salvex::gui
