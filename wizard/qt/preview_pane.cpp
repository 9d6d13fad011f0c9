#include "wizard/qt/preview_pane.h"

#include <QAudioOutput>
#include <QDialog>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImageReader>
#include <QLabel>
#include <QMediaPlayer>
#include <QMimeDatabase>
#include <QPainter>
#include <QPdfDocument>
#include <QTimer>
#include <QVBoxLayout>
#include <QVideoWidget>

#include "results/qt/image_browser_model.h"

namespace salvex::gui {

namespace {

// Only these are handed to the player: anything else would make it probe
// arbitrary data, which costs the whole wait for nothing.
bool may_be_media(const QString& path) {
    static QMimeDatabase mimes;
    const QMimeType type = mimes.mimeTypeForFile(path);
    const QString name = type.name();
    return name.startsWith(QLatin1String("video/")) || name.startsWith(QLatin1String("audio/")) ||
           type.inherits(QStringLiteral("application/ogg")) || type.inherits(QStringLiteral("video/x-matroska"));
}

QImage on_white(const QImage& picture) {
    QImage page(picture.size(), QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter(&page).drawImage(0, 0, picture);
    return page;
}

QImage picture_of_image(const QString& path, int size) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (!reader.canRead()) return {};
    const QSize full = reader.size();
    if (full.isValid() && (full.width() > size || full.height() > size))
        reader.setScaledSize(full.scaled(size, size, Qt::KeepAspectRatio));
    QImage picture = reader.read();
    if (picture.isNull()) return {};
    if (picture.width() > size || picture.height() > size)
        picture = picture.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return picture;
}

QImage first_page_of_pdf(const QString& path, int size) {
    QPdfDocument document;
    if (document.load(path) != QPdfDocument::Error::None || document.pageCount() < 1) return {};
    const QSizeF points = document.pagePointSize(0);
    if (points.isEmpty()) return {};
    const QSize pixels = points.scaled(size, size, Qt::KeepAspectRatio).toSize();
    const QImage page = document.render(0, pixels);
    return page.isNull() ? QImage() : on_white(page);
}

QImage first_lines_of_text(const QString& path, int size) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    // Carved text runs on into whatever followed it on the card; the start is enough.
    const QString text = QString::fromUtf8(file.read(4096));
    QImage page(size, size, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(std::max(8, size / 20));
    painter.setFont(font);
    painter.setPen(QColor(40, 40, 40));
    const int margin = size / 20, line = painter.fontMetrics().lineSpacing();
    int y = margin;
    for (const QString& row : text.split(QLatin1Char('\n'))) {
        if (y + line > size - margin) break;
        painter.drawText(QRect(margin, y, size - 2 * margin, line), Qt::AlignLeft | Qt::AlignTop,
                         QString(row).remove(QLatin1Char('\r')).replace(QLatin1Char('\t'), QLatin1String("    ")));
        y += line;
    }
    return page;
}

}  // namespace

PreviewPane::PreviewPane(QVideoWidget* video, QWidget* sheet_parent)
    : QObject(video), player_(new QMediaPlayer(this)), audio_(new QAudioOutput(this)), sheet_parent_(sheet_parent) {
    player_->setAudioOutput(audio_);
    player_->setVideoOutput(video);
}

PreviewPane::~PreviewPane() = default;

bool PreviewPane::play(const QString& path) {
    clear();
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable() || info.size() == 0 || !may_be_media(path)) return false;

    // An error left by the last file is not this one's: only what is reported from here on counts.
    bool failed = false;
    QEventLoop wait;
    const auto settled = [this, &failed] {
        const auto status = player_->mediaStatus();
        return failed || (status != QMediaPlayer::LoadingMedia && status != QMediaPlayer::NoMedia);
    };
    const auto on_error = connect(player_, &QMediaPlayer::errorOccurred, &wait, [&failed, &wait] {
        failed = true;
        wait.quit();
    });
    const auto on_status = connect(player_, &QMediaPlayer::mediaStatusChanged, &wait, [&wait, &settled] {
        if (settled()) wait.quit();
    });
    player_->setSource(QUrl::fromLocalFile(path));
    if (!settled()) {
        // Bounded, and without user input: the click that chose this file cannot start another.
        QTimer::singleShot(kOpenWaitMs, &wait, &QEventLoop::quit);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    }
    disconnect(on_error);
    disconnect(on_status);
    const auto status = player_->mediaStatus();
    const bool opened = !failed && (status == QMediaPlayer::LoadedMedia || status == QMediaPlayer::BufferedMedia ||
                                    status == QMediaPlayer::BufferingMedia);
    if (!opened) {
        clear();
        return false;
    }
    player_->play();
    return true;
}

bool PreviewPane::playing() const { return player_->playbackState() == QMediaPlayer::PlayingState; }

void PreviewPane::stop() { player_->stop(); }

void PreviewPane::clear() {
    player_->stop();
    player_->setSource(QUrl());
}

void PreviewPane::show_sheet(bool shown) {
    if (!shown) {
        sheet_.reset();
        return;
    }
    sheet_ = std::make_unique<QDialog>(sheet_parent_, Qt::Sheet | Qt::FramelessWindowHint);
    sheet_->setObjectName(QStringLiteral("ClearPreview_Window"));
    sheet_->setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(sheet_.get());
    layout->setContentsMargins(24, 16, 24, 16);
    layout->addWidget(new QLabel(QObject::tr("Preparing the preview..."), sheet_.get()));
    sheet_->adjustSize();
    if (sheet_parent_ != nullptr && sheet_parent_->isVisible()) {
        sheet_->move(sheet_parent_->geometry().center() - sheet_->rect().center());
        sheet_->show();
        sheet_->repaint();
    }
}

QImage PreviewPane::content_picture(const QString& path, int size) {
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable() || info.size() == 0) return {};
    static QMimeDatabase mimes;
    const QMimeType type = mimes.mimeTypeForFile(path);
    if (type.inherits(QStringLiteral("application/pdf"))) return first_page_of_pdf(path, size);
    if (QImage picture = picture_of_image(path, size); !picture.isNull()) return picture;
    if (type.inherits(QStringLiteral("text/plain"))) return first_lines_of_text(path, size);
    return {};
}

QImage PreviewPane::type_icon_picture(const QString& path, int size) {
    const QIcon icon = file_type_icon(path);
    if (icon.isNull()) return {};
    return icon.pixmap(QSize(size, size)).toImage();
}

}  // namespace salvex::gui
