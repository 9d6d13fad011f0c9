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
class QMediaPlayer;
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

    void show_sheet(bool shown);
    bool sheet_shown() const { return sheet_ != nullptr; }

    // A picture of the content at most size x size pixels; null when there is none.
    static QImage content_picture(const QString& path, int size);
    // The desktop's icon for the file's type; null when there is none.
    static QImage type_icon_picture(const QString& path, int size);

    // How long the player may take to open a file before it counts as no movie.
    static constexpr int kOpenWaitMs = 1500;

private:
    QMediaPlayer* player_;
    QAudioOutput* audio_;
    QWidget* sheet_parent_;
    std::unique_ptr<QDialog> sheet_;
};

}  // namespace salvex::gui
