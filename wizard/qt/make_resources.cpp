// Build-time tool: paints "NoPreview.png" and prints the user guide into "Help.pdf".
//   salvex_make_resources <output folder> <guide markdown>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>

#include "results/qt/no_preview_picture.h"
#include "wizard/qt/help_document.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <output folder> <guide markdown>\n", argv[0]);
        return 2;
    }
    // Painting needs fonts but no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString out = QString::fromLocal8Bit(argv[1]);
    QFile guide(QString::fromLocal8Bit(argv[2]));
    if (!guide.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 1;
    }
    const QString markdown = QString::fromUtf8(guide.readAll());
    if (!salvex::gui::paint_no_preview_picture(160).save(out + QStringLiteral("/NoPreview.png"))) {
        std::fprintf(stderr, "cannot write NoPreview.png into %s\n", argv[1]);
        return 1;
    }
    if (!salvex::gui::write_help_pdf(markdown, out + QStringLiteral("/Help.pdf"))) {
        std::fprintf(stderr, "cannot write Help.pdf into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
