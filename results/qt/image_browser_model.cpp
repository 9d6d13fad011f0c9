#include "results/qt/image_browser_model.h"

#include <QApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <QHash>
#include <QLocale>
#include <QMimeDatabase>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <QStyle>
#include <filesystem>

#include "app/my_table_controller.h"
#include "engine/output_naming.h"
#include "results/qt/qt_text.h"
#include "results/qt/thumbnail_cache.h"

namespace salvex::gui {

namespace {

const MyImageObject* item(const MyTableController* c, int row) {
    if (c == nullptr || row < 0 || static_cast<std::size_t>(row) >= c->images.size()) return nullptr;
    return &c->images[static_cast<std::size_t>(row)];
}

}  // namespace

QIcon ImageBrowserModel::placeholder() const {
    if (placeholder_.isNull()) {
        QPixmap canvas(ThumbnailCache::kPixels, ThumbnailCache::kPixels);
        canvas.fill(Qt::transparent);
        QPainter p(&canvas);
        const QPalette palette = QApplication::palette();
        p.setPen(palette.color(QPalette::Midlight));
        p.setBrush(palette.color(QPalette::AlternateBase));
        p.drawRect(canvas.rect().adjusted(8, 8, -9, -9));
        placeholder_ = QIcon(canvas);
    }
    return placeholder_;
}

namespace {

// The full-colour icons of the Adwaita theme, read from its folders. Started
// through pkexec there is no desktop session, so Qt knows no icon theme; making
// Adwaita the window's theme would also swap every button's icon for its pale
// symbolic one, so only the icons asked for come from it.
QIcon adwaita_icon(const QString& name) {
    static const QStringList bases = QStandardPaths::locateAll(
        QStandardPaths::GenericDataLocation, QStringLiteral("icons/Adwaita"), QStandardPaths::LocateDirectory);
    QIcon icon;
    for (const QString& base : bases)
        for (const int side : {16, 22, 24, 32, 48, 256})
            for (const char* context : {"mimetypes", "legacy", "devices", "places", "actions", "status"}) {
                const QString file = QStringLiteral("%1/%2x%2/%3/%4.png").arg(base).arg(side).arg(QLatin1String(context), name);
                if (QFileInfo::exists(file)) {
                    icon.addFile(file, QSize(side, side));
                    break;
                }
            }
    return icon;
}

}  // namespace

QIcon desktop_icon(const QString& name, const QIcon& fallback) {
    static QHash<QString, QIcon> known;
    if (const auto found = known.constFind(name); found != known.cend()) return found->isNull() ? fallback : *found;
    QIcon icon = QIcon::hasThemeIcon(name) ? QIcon::fromTheme(name) : adwaita_icon(name);
    known.insert(name, icon);
    return icon.isNull() ? fallback : icon;
}

QIcon file_type_icon(const QString& path) {
    static QMimeDatabase mimes;
    static QHash<QString, QIcon> known;
    const QMimeType type = mimes.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    if (const auto found = known.constFind(type.name()); found != known.cend()) return *found;
    QIcon icon = desktop_icon(type.iconName(), desktop_icon(type.genericIconName()));
    if (icon.isNull()) icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    known.insert(type.name(), icon);
    return icon;
}

ImageBrowserModel::ImageBrowserModel(Kind kind, ThumbnailCache& cache, QObject* parent)
    : QAbstractTableModel(parent), kind_(kind), cache_(cache) {}

void ImageBrowserModel::reload() {
    const int now = controller_ == nullptr ? 0 : static_cast<int>(controller_->images.size());
    const MyImageObject* last_known = item(controller_, rows_ - 1);
    const bool appended = now > rows_ && (rows_ == 0 || (last_known != nullptr && last_known->image_UID == last_uid_));
    const bool same_rows = now == rows_ && now > 0 && last_known != nullptr && last_known->image_UID == last_uid_;
    if (appended) {
        beginInsertRows({}, rows_, now - 1);
        rows_ = now;
        endInsertRows();
    } else if (same_rows) {
        // An item changed in place (a photo that did not decode) or the user reordered
        // some: redraw without a reset, which would lose the scroll position.
        emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1));
    } else {
        beginResetModel();
        rows_ = now;
        sizes_.clear();
        endResetModel();
    }
    const MyImageObject* last = item(controller_, rows_ - 1);
    last_uid_ = last != nullptr ? last->image_UID : std::string();
}

bool ImageBrowserModel::only_appended() const {
    const int now = controller_ == nullptr ? 0 : static_cast<int>(controller_->images.size());
    const MyImageObject* last_known = item(controller_, rows_ - 1);
    return now >= rows_ && (rows_ == 0 || (last_known != nullptr && last_known->image_UID == last_uid_));
}

int ImageBrowserModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int ImageBrowserModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kind_ == Kind::FileList ? 4 : 1;
}

QVariant ImageBrowserModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || kind_ != Kind::FileList) return {};
    switch (section) {
        case kName: return tr("Name");
        case kType: return tr("Type");
        case kSize: return tr("Size");
        case kPass: return tr("Pass");
        default: return {};
    }
}

qint64 ImageBrowserModel::size_of(const QString& path) const {
    auto found = sizes_.constFind(path);
    if (found == sizes_.cend()) found = sizes_.insert(path, QFileInfo(path).size());
    return *found;
}

std::string ImageBrowserModel::path_at(int row) const {
    const MyImageObject* i = item(controller_, row);
    return i != nullptr ? i->path : std::string();
}

bool ImageBrowserModel::shows_no_preview(int row) const {
    return kind_ == Kind::Thumbnails && std::filesystem::path(path_at(row)).filename() == "NoPreview.png";
}

QIcon ImageBrowserModel::no_preview_icon(int row) const {
    if (no_preview_.isNull()) {
        const MyImageObject* i = item(controller_, row);
        QPixmap picture;
        if (i != nullptr && !i->imageData.empty() &&
            picture.loadFromData(i->imageData.data(), static_cast<uint>(i->imageData.size())))
            no_preview_ = QIcon(picture);
    }
    return no_preview_;
}

QVariant ImageBrowserModel::data(const QModelIndex& index, int role) const {
    const MyImageObject* i = item(controller_, index.row());
    if (i == nullptr || index.row() >= rows_) return {};
    if (kind_ == Kind::FileList && index.column() != kName) {
        const QString path = qs(i->path);
        const bool thorough = path.contains(QLatin1Char('/') + QLatin1String(kThoroughPassFolder.data(),
                                                                             static_cast<qsizetype>(kThoroughPassFolder.size())) +
                                            QLatin1Char('/'));
        const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
        const QString type = dot > path.lastIndexOf(QLatin1Char('/')) ? path.mid(dot + 1).toUpper() : QString();
        if (role == Qt::TextAlignmentRole && index.column() == kSize)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole && role != kSortRole) return {};
        switch (index.column()) {
            case kType: return type;
            case kSize:
                if (role == kSortRole) return size_of(path);
                return QLocale().formattedDataSize(size_of(path), 1, QLocale::DataSizeTraditionalFormat);
            case kPass:
                if (role == kSortRole) return thorough ? 1 : 0;
                return thorough ? tr("Thorough") : tr("General");
            default: return {};
        }
    }
    switch (role) {
        case Qt::DisplayRole: return qs(i->image_Name);
        case kSortRole: return qs(i->image_Name).toLower();
        case Qt::ToolTipRole: return qs(i->path);
        case kPathRole: return qs(i->path);
        case Qt::DecorationRole: {
            if (kind_ == Kind::FileList) return file_type_icon(qs(i->path));
            // An icon, not an image: the view scales an icon to the zoom, an image it draws at its own size.
            if (shows_no_preview(index.row())) return no_preview_icon(index.row());
            // Until the worker's picture comes, a plain square keeps the cell its full size.
            const QIcon picture = cache_.get(qs(i->path));
            return picture.isNull() ? placeholder() : picture;
        }
        default: return {};
    }
}

Qt::ItemFlags ImageBrowserModel::flags(const QModelIndex& index) const {
    const Qt::ItemFlags f = QAbstractTableModel::flags(index) | Qt::ItemNeverHasChildren;
    return index.isValid() ? f | Qt::ItemIsDragEnabled : f;
}

void ImageBrowserModel::thumbnail_ready(const QString& path) {
    for (int row = 0; row < rows_; ++row)
        if (qs(path_at(row)) == path) emit dataChanged(index(row, 0), index(row, 0), {Qt::DecorationRole});
}

}  // namespace salvex::gui
