#include "results/qt/no_preview_picture.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

#include "app/texts/window.h"
#include "results/qt/qt_text.h"

namespace salvex::gui {

QImage paint_no_preview_picture(int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = side / 160.0;
    // Mid greys read on light and dark backgrounds alike.
    const QColor ink(128, 128, 128);
    p.setPen(QPen(QColor(128, 128, 128, 90), 2 * s));
    p.setBrush(QColor(128, 128, 128, 40));
    p.drawRoundedRect(QRectF(6 * s, 6 * s, 148 * s, 148 * s), 14 * s, 14 * s);

    // A picture frame with hills and a sun, crossed out.
    const QRectF frame(40 * s, 30 * s, 80 * s, 60 * s);
    p.setPen(QPen(ink, 4 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(frame, 6 * s, 6 * s);
    QPainterPath hills;
    hills.moveTo(46 * s, 84 * s);
    hills.lineTo(70 * s, 58 * s);
    hills.lineTo(86 * s, 74 * s);
    hills.lineTo(96 * s, 64 * s);
    hills.lineTo(114 * s, 84 * s);
    p.drawPath(hills);
    p.drawEllipse(QPointF(100 * s, 46 * s), 6 * s, 6 * s);
    p.drawLine(QPointF(36 * s, 98 * s), QPointF(124 * s, 22 * s));

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(static_cast<int>(13 * s));
    font.setBold(true);
    p.setFont(font);
    p.setPen(ink);
    p.drawText(QRectF(8 * s, 104 * s, 144 * s, 44 * s), Qt::AlignCenter | Qt::TextWordWrap,
               qs(text::kNoPreviewPicture));
    p.end();
    return image;
}

}  // namespace salvex::gui
