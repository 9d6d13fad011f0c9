#pragma once
// The user guide: written as Markdown in docs/help.md, made into "Help.pdf" at
// build time.
#include <QImage>
#include <QString>
#include <memory>

class QTextDocument;

namespace salvex::gui {

std::unique_ptr<QTextDocument> help_document(const QString& markdown);
bool write_help_pdf(const QString& markdown, const QString& pdf_path);
// One A4 page of the guide as a picture, as the PDF lays it out.
QImage help_page_picture(const QString& markdown, int page, int width_pixels);

}  // namespace salvex::gui
