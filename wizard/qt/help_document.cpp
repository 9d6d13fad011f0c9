#include "wizard/qt/help_document.h"

#include <QAbstractTextDocumentLayout>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>

namespace salvex::gui {

namespace {

constexpr double kMarginMillimetres = 20;

QFont guide_font() {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(10.5);
    return f;
}

}  // namespace

std::unique_ptr<QTextDocument> help_document(const QString& markdown) {
    auto doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(guide_font());
    doc->setDefaultStyleSheet(QStringLiteral("h1 { font-size: 20pt; } h2 { font-size: 14pt; }"));
    doc->setMarkdown(markdown);
    return doc;
}

bool write_help_pdf(const QString& markdown, const QString& pdf_path) {
    QPdfWriter writer(pdf_path);
    writer.setTitle(QStringLiteral("Salvex Recovery User Guide"));
    writer.setCreator(QStringLiteral("Salvex Recovery"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(kMarginMillimetres, kMarginMillimetres, kMarginMillimetres,
                                               kMarginMillimetres),
                                     QPageLayout::Millimeter));
    const auto doc = help_document(markdown);
    if (doc->isEmpty()) return false;
    doc->print(&writer);
    return true;
}

QImage help_page_picture(const QString& markdown, int page, int width_pixels) {
    // An A4 page at the width asked, laid out like the PDF (same margins and font size).
    const QSizeF a4 = QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
    const double pixels_per_mm = width_pixels / a4.width();
    const int height_pixels = static_cast<int>(a4.height() * pixels_per_mm);
    const double margin = kMarginMillimetres * pixels_per_mm;

    QImage image(width_pixels, height_pixels, QImage::Format_RGB32);
    image.setDotsPerMeterX(static_cast<int>(pixels_per_mm * 1000));
    image.setDotsPerMeterY(static_cast<int>(pixels_per_mm * 1000));
    image.fill(Qt::white);
    const auto doc = help_document(markdown);
    doc->documentLayout()->setPaintDevice(&image);
    doc->setDefaultFont(guide_font());
    doc->setPageSize(QSizeF(width_pixels - 2 * margin, height_pixels - 2 * margin));
    QPainter p(&image);
    p.translate(margin, margin - page * (height_pixels - 2 * margin));
    const QRectF clip(0, page * (height_pixels - 2 * margin), width_pixels - 2 * margin, height_pixels - 2 * margin);
    doc->drawContents(&p, clip);
    return image;
}

}  // namespace salvex::gui
