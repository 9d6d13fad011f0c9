#pragma once
// The file list's preview pane: a player for what opens as a movie or sound,
// else a bounded picture of the file (the picture itself, a PDF's first page,
// a text's first lines) or its type's icon. Carved files are often cut short or
// padded with other data, so nothing here may hang or throw on them.
#include <QImage>
#include <QObject>
#include <QString>
#include <memory>

class QAudioOutput;
class QDialog;
class QLabel;
class QMediaPlayer;
class QSlider;
class QToolButton;
class QVideoWidget;
class QWidget;

namespace salvex::gui {

class PreviewPane : public QObject {
public:
    // The player draws into video; the wait sheet covers sheet_parent.
    PreviewPane(QVideoWidget* video, QWidget* sheet_parent);
    ~PreviewPane() override;

    // Opens the file and starts it when the player can open it within a short
    // wait; otherwise lets go of it and answers false.
    bool play(const QString& path);
    bool playing() const;
    void stop();
    // Stops and lets go of the movie.
    void clear();
    QMediaPlayer* player() const { return player_; }
    // Play/pause, the position slider and the time, shown under the movie.
    QWidget* controls() const { return controls_; }
    QToolButton* play_button() const { return play_; }
    QSlider* position_slider() const { return position_; }

    void show_sheet(bool shown);
    bool sheet_shown() const { return sheet_ != nullptr; }

    // A picture of the content at most size x size pixels; null when there is none.
    static QImage content_picture(const QString& path, int size);
    // The desktop's icon for the file's type; null when there is none.
    static QImage type_icon_picture(const QString& path, int size);

    // The Debian package that would let this file be previewed, when the want of
    // one is why it cannot be: Qt's image-format plugins for TIFF or WEBP pictures,
    // a GStreamer plugin package for a movie or sound, an icon theme for type icons.
    // Empty when nothing is missing for it.
    static QString missing_package(const QString& path);

    // How long the player may take to open a file before it counts as no movie.
    static constexpr int kOpenWaitMs = 1500;

private:
    QMediaPlayer* player_;
    QAudioOutput* audio_;
    QWidget* sheet_parent_;
    QWidget* controls_;
    QToolButton* play_;
    QSlider* position_;
    QLabel* time_;
    std::unique_ptr<QDialog> sheet_;
};

}  // namespace salvex::gui
