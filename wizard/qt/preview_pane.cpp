#include "wizard/qt/preview_pane.h"

#include <QAudioOutput>
#include <QDialog>
#include <QEventLoop>
#include <QFile>
#include <QDir>
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
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <climits>
#include <vector>

#include "app/texts/window.h"
#include "results/qt/image_browser_model.h"
#include "results/qt/qt_text.h"

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

// Where GStreamer looks for its plugins: its own variables, else the system's folders.
QStringList gstreamer_plugin_folders() {
    for (const char* name : {"GST_PLUGIN_SYSTEM_PATH_1_0", "GST_PLUGIN_SYSTEM_PATH"})
        if (const QByteArray value = qgetenv(name); !value.isNull())
            return QString::fromLocal8Bit(value).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    QStringList folders;
    for (const QFileInfo& lib : QDir(QStringLiteral("/usr/lib")).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot))
        folders << lib.filePath() + QStringLiteral("/gstreamer-1.0");
    return folders << QStringLiteral("/usr/lib/gstreamer-1.0") << QStringLiteral("/usr/local/lib/gstreamer-1.0");
}

bool has_gstreamer_plugin(const QString& plugin) {
    for (const QString& folder : gstreamer_plugin_folders())
        if (QFileInfo::exists(folder + QStringLiteral("/libgst") + plugin + QStringLiteral(".so"))) return true;
    return false;
}

// The GStreamer plugins (and their packages) that play a kind of file: the
// container's reader, then the decoders, most of which come with libav.
struct Plugin {
    const char* name;
    const char* package;
};
std::vector<Plugin> plugins_for(const QMimeType& type) {
    const Plugin good_mp4{"isomp4", "gstreamer1.0-plugins-good"}, libav{"libav", "gstreamer1.0-libav"};
    const auto is = [&type](const char* name) { return type.inherits(QString::fromLatin1(name)); };
    if (is("video/mp4") || is("video/quicktime") || is("audio/mp4") || is("video/3gpp")) return {good_mp4, libav};
    if (is("video/x-msvideo")) return {{"avi", "gstreamer1.0-plugins-good"}, libav};
    if (is("video/x-matroska") || is("video/webm") || is("audio/x-matroska")) return {{"matroska", "gstreamer1.0-plugins-good"}, libav};
    if (is("video/mpeg") || is("video/mp2t")) return {{"mpegpsdemux", "gstreamer1.0-plugins-bad"}, libav};
    if (is("video/x-ms-wmv") || is("video/x-ms-asf") || is("audio/x-ms-wma")) return {{"asf", "gstreamer1.0-plugins-ugly"}, libav};
    if (is("video/x-flv")) return {{"flv", "gstreamer1.0-plugins-good"}, libav};
    if (is("audio/mpeg")) return {{"mpg123", "gstreamer1.0-plugins-good"}};
    if (is("audio/flac")) return {{"flac", "gstreamer1.0-plugins-good"}};
    if (is("audio/x-wav") || is("audio/vnd.wave")) return {{"wavparse", "gstreamer1.0-plugins-good"}};
    if (is("audio/x-aiff")) return {{"aiff", "gstreamer1.0-plugins-bad"}};
    return {libav};
}

QString clock_text(qint64 ms) {
    const qint64 s = ms / 1000;
    return s >= 3600 ? QStringLiteral("%1:%2:%3").arg(s / 3600).arg(s / 60 % 60, 2, 10, QLatin1Char('0')).arg(s % 60, 2, 10, QLatin1Char('0'))
                     : QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

PreviewPane::PreviewPane(QVideoWidget* video, QWidget* sheet_parent)
    : QObject(video),
      player_(new QMediaPlayer(this)),
      audio_(new QAudioOutput(this)),
      sheet_parent_(sheet_parent),
      controls_(new QWidget(video->parentWidget())),
      play_(new QToolButton(controls_)),
      position_(new QSlider(Qt::Horizontal, controls_)),
      time_(new QLabel(controls_)) {
    player_->setAudioOutput(audio_);
    player_->setVideoOutput(video);

    controls_->setObjectName(QStringLiteral("movie_controls"));
    auto* row = new QHBoxLayout(controls_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    play_->setObjectName(QStringLiteral("play_pause"));
    play_->setAutoRaise(true);
    position_->setObjectName(QStringLiteral("movie_position"));
    position_->setAccessibleName(tr("Position in the movie"));
    time_->setForegroundRole(QPalette::PlaceholderText);
    row->addWidget(play_);
    row->addWidget(position_, 1);
    row->addWidget(time_);

    const auto show_state = [this] {
        const bool playing = player_->playbackState() == QMediaPlayer::PlayingState;
        play_->setIcon(play_->style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
        play_->setToolTip(playing ? tr("Pause") : tr("Play"));
        play_->setAccessibleName(play_->toolTip());
    };
    const auto show_time = [this] {
        time_->setText(clock_text(player_->position()) + QStringLiteral(" / ") + clock_text(player_->duration()));
    };
    show_state();
    show_time();
    connect(play_, &QToolButton::clicked, this, [this] {
        if (player_->playbackState() == QMediaPlayer::PlayingState) player_->pause();
        else if (!player_->source().isEmpty()) player_->play();
    });
    connect(player_, &QMediaPlayer::playbackStateChanged, this, show_state);
    connect(player_, &QMediaPlayer::durationChanged, this, [this, show_time](qint64 ms) {
        const QSignalBlocker quiet(position_);
        position_->setRange(0, static_cast<int>(std::min<qint64>(ms, INT_MAX)));
        position_->setPageStep(std::max(1, position_->maximum() / 10));
        show_time();
    });
    connect(player_, &QMediaPlayer::positionChanged, this, [this, show_time](qint64 ms) {
        if (!position_->isSliderDown()) {
            const QSignalBlocker quiet(position_);
            position_->setValue(static_cast<int>(std::min<qint64>(ms, INT_MAX)));
        }
        show_time();
    });
    // Dragged, clicked beside the knob or moved with the keys: the movie follows.
    connect(position_, &QSlider::valueChanged, this, [this](int ms) {
        if (player_->isSeekable()) player_->setPosition(ms);
    });
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
    layout->addWidget(new QLabel(qs(text::kPreparingPreview), sheet_.get()));
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

QString PreviewPane::missing_package(const QString& path) {
    static QMimeDatabase mimes;
    const QMimeType type = mimes.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    if (type.name().startsWith(QLatin1String("image/"))) {
        // Qt reads the common kinds itself; TIFF, WEBP and a few more come as plugins.
        const QList<QByteArray> readable = QImageReader::supportedMimeTypes();
        for (const char* kind : {"image/tiff", "image/webp", "image/x-tga", "image/vnd.wap.wbmp", "image/x-icns"})
            if (type.inherits(QString::fromLatin1(kind)) && !readable.contains(kind)) return QStringLiteral("qt6-image-formats-plugins");
    }
    if (may_be_media(path)) {
        // Only GStreamer is Qt's player here unless another backend was chosen.
        const QByteArray backend = qgetenv("QT_MEDIA_BACKEND");
        if (!backend.isEmpty() && backend != "gstreamer") return {};
        QStringList missing;
        for (const Plugin& p : plugins_for(type))
            if (!has_gstreamer_plugin(QLatin1String(p.name)) && !missing.contains(QLatin1String(p.package)))
                missing << QLatin1String(p.package);
        return missing.join(qs(text::kAnd));
    }
    if (desktop_icon(type.iconName(), desktop_icon(type.genericIconName())).isNull()) return QStringLiteral("adwaita-icon-theme");
    return {};
}

QImage PreviewPane::type_icon_picture(const QString& path, int size) {
    const QIcon icon = file_type_icon(path);
    if (icon.isNull()) return {};
    return icon.pixmap(QSize(size, size)).toImage();
}

}  // namespace salvex::gui
