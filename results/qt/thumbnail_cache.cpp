#include "results/qt/thumbnail_cache.h"

#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <QPointer>

namespace salvex::gui {

ThumbnailCache::ThumbnailCache(QObject* parent) : QObject(parent) {
    // Enough for the browser's 2000 items at about 100 KB each.
    icons_.setMaxCost(256 * 1024 * 1024);
    pool_.setMaxThreadCount(2);
    // Pictures wait for a spare processor: the search itself must never slow down for them.
    pool_.setThreadPriority(QThread::IdlePriority);
}

ThumbnailCache::~ThumbnailCache() {
    ++*generation_;
    pool_.clear();
    pool_.waitForDone();
}

QImage ThumbnailCache::decode(const QString& path, int pixels) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize full = reader.size();
    // Asking for the small size up front lets JPEG decode at 1/2, 1/4 or 1/8.
    if (full.isValid() && (full.width() > pixels || full.height() > pixels))
        reader.setScaledSize(full.scaled(pixels, pixels, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (!image.isNull() && (image.width() > pixels || image.height() > pixels))
        image = image.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

void ThumbnailCache::store(const QString& path, const QImage& image) {
    // Centred on a square, so that every name sits at the same height under its picture.
    const int side = std::max(image.width(), image.height());
    QPixmap canvas(side, side);
    canvas.fill(Qt::transparent);
    QPainter p(&canvas);
    p.drawImage((side - image.width()) / 2, (side - image.height()) / 2, image);
    p.end();
    icons_.insert(path, new QIcon(canvas), static_cast<qsizetype>(side) * side * 4);
}

void ThumbnailCache::decode_later(const QString& path, std::function<void(const QImage&)> finish) {
    pending_.insert(path);
    const int generation = *generation_;
    QPointer<ThumbnailCache> self(this);
    const auto job = [self, path, generation, current = generation_, finish = std::move(finish)] {
        if (*current != generation) return;
        const QImage image = decode(path, kPixels);
        QMetaObject::invokeMethod(
            self.data(),
            [self, path, image, generation, current, finish] {
                if (!self || *current != generation) return;
                self->pending_.remove(path);
                if (!image.isNull()) self->store(path, image);
                finish(image);
                if (!image.isNull() && self->ready) self->ready(path);
            },
            Qt::QueuedConnection);
    };
    pool_.start(job, ++next_priority_);
}

void ThumbnailCache::check(const QString& path, std::function<void(bool)> done) {
    decode_later(path, [done = std::move(done)](const QImage& image) { done(!image.isNull()); });
}

QIcon ThumbnailCache::get(const QString& path) {
    if (const QIcon* kept = icons_.object(path)) return *kept;
    if (!pending_.contains(path)) decode_later(path, [](const QImage&) {});
    return {};
}

void ThumbnailCache::clear() {
    ++*generation_;
    pool_.clear();
    pending_.clear();
    icons_.clear();
}

}  // namespace salvex::gui
