#pragma once
// Thumbnails of carved photos. The controller's decodability test decodes a
// small picture anyway, so it is kept; pictures that drop out of the cache are
// decoded again on a worker, never on the interface thread.
#include <QCache>
#include <QIcon>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>
#include <atomic>
#include <functional>
#include <memory>

namespace salvex::gui {

class ThumbnailCache : public QObject {
public:
    // Longest side of a kept thumbnail, in pixels: sharp up to the largest zoom.
    static constexpr int kPixels = 160;

    explicit ThumbnailCache(QObject* parent = nullptr);
    ~ThumbnailCache() override;

    // Decodes a small picture of the file on a worker and keeps it; done hears on
    // this thread whether it decoded. Nothing is heard after a clear().
    void check(const QString& path, std::function<void(bool decodes)> done);
    // The kept picture, centred on a square, ready to draw; or a null icon after
    // asking a worker for it, and ready() hears when it arrives.
    QIcon get(const QString& path);
    // Forgets everything and lets queued decodes lapse.
    void clear();
    // Whether a decode is still on its way.
    bool busy() const { return !pending_.isEmpty(); }
    std::function<void(const QString& path)> ready;

    static QImage decode(const QString& path, int pixels);

private:
    void store(const QString& path, const QImage& image);
    // Decodes on a worker; finish runs on this thread with the picture, null when it did not decode.
    void decode_later(const QString& path, std::function<void(const QImage&)> finish);

    // Icons, not images: a pixmap made once is drawn again at no cost whenever the
    // list repaints, which it does after every photo found.
    QCache<QString, QIcon> icons_;
    QSet<QString> pending_;
    QThreadPool pool_;
    // Decodes queued before a clear() are dropped when they finish.
    std::shared_ptr<std::atomic<int>> generation_ = std::make_shared<std::atomic<int>>(0);
    // The newest request goes first: it is the one the list shows.
    int next_priority_ = 0;
};

}  // namespace salvex::gui
