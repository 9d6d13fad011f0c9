#pragma once
// The two browsers of the results screens draw from the controller's one item
// list: photo thumbnails in photo mode, otherwise a file list with type icons and
// the columns Name, Type, Size and Pass.
#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <string>

class MyTableController;

namespace salvex::gui {

class ThumbnailCache;

class ImageBrowserModel : public QAbstractTableModel {
public:
    enum class Kind { Thumbnails, FileList };
    static constexpr int kPathRole = Qt::UserRole + 1;
    // What a column sorts by: names and types as text, sizes as numbers.
    static constexpr int kSortRole = Qt::UserRole + 2;
    enum Column { kName, kType, kSize, kPass };

    ImageBrowserModel(Kind kind, ThumbnailCache& cache, QObject* parent = nullptr);
    void set_controller(const MyTableController* controller) { controller_ = controller; }

    // The list changed: items appended at its end become new rows, anything
    // else (cleared, removed, moved) redraws the whole list.
    void reload();
    // Whether what changed since the last reload is only items appended at the end.
    bool only_appended() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Items can be dragged, to reorder them within their own browser only.
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The carved file behind a row; the no-preview picture's path for a photo that did not decode.
    std::string path_at(int row) const;
    // Whether a row shows the no-preview picture instead of its file.
    bool shows_no_preview(int row) const;
    // A thumbnail decoded on a worker arrived: its rows redraw.
    void thumbnail_ready(const QString& path);

private:
    QIcon no_preview_icon(int row) const;
    QIcon placeholder() const;
    // A carved file's size does not change once it is listed: read once.
    qint64 size_of(const QString& path) const;

    Kind kind_;
    ThumbnailCache& cache_;
    const MyTableController* controller_ = nullptr;
    int rows_ = 0;
    std::string last_uid_;
    mutable QIcon no_preview_;
    mutable QIcon placeholder_;
    mutable QHash<QString, qint64> sizes_;
};

// The desktop's icon for a file's type, with a plain file icon where the theme has none.
QIcon file_type_icon(const QString& path);
// The desktop's icon of this name (help-browser, drive-removable-media, ...): from its
// icon theme, else from the full-colour Adwaita icons when they are installed, else
// the fallback.
QIcon desktop_icon(const QString& name, const QIcon& fallback = {});

}  // namespace salvex::gui
