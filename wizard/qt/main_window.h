#pragma once
// The one window: a header with Help, About and Contact Us, a strip naming the
// wizard's steps, the screen area, the help text under it and the Exit, Back and
// Next buttons. Every control the controller names is a real widget here, found
// by its outlet (its object name is the outlet's name, "_path", "idTableView", ...).
#include <QWidget>
#include <array>
#include <functional>
#include <utility>
#include <vector>

#include "app/outlets.h"
#include "wizard/qt/outlet_registry.h"
#include "wizard/qt/sector_scale.h"

class QLabel;
class QPushButton;
class QToolButton;
class QGroupBox;
class QListView;
class QTableView;

namespace salvex::gui {

class OutletTableModel;
class ImageBrowserModel;
class ThumbnailCache;
class StepStrip;
class PreviewPane;

class MainWindow : public QWidget {
public:
    MainWindow();
    ~MainWindow() override;

    QWidget* outlet(Outlet o) const { return outlets_.at(o); }
    template <class W>
    W* as(Outlet o) const {
        return qobject_cast<W*>(outlet(o));
    }

    // Shows or hides a control and the screen parts that hold it.
    void set_outlet_hidden(Outlet o, bool hidden);
    bool outlet_hidden(Outlet o) const { return outlets_.hidden(o); }
    // Brings the screen parts and the step strip in line with the controls shown.
    void refresh();
    // The step the strip marks: 0 drive, 1 search options, then file types and results.
    int current_step() const { return step_; }
    QStringList step_names() const;
    // Puts the keyboard focus on the first control of the screen shown, never on
    // the buttons along the bottom or the header: a second Return then means Next.
    void focus_first_control();

    // Controls of the window that the controller does not name.
    QLabel* title_label = nullptr;
    QToolButton* help_button = nullptr;
    QToolButton* about_button = nullptr;
    QToolButton* contact_button = nullptr;
    QPushButton* exit_button = nullptr;
    QPushButton* add_image_button = nullptr;
    // Shown while a disk image the user added is selected.
    QPushButton* remove_image_button = nullptr;
    // Beside the sector label in photo mode: files found so far and the speed.
    QLabel* scan_stats = nullptr;
    // Which package a preview that could not be made needs: under the file
    // preview, and under the thumbnails for photos.
    QLabel* preview_note = nullptr;
    QLabel* package_note = nullptr;

    OutletTableModel* device_model = nullptr;
    OutletTableModel* check_model = nullptr;
    OutletTableModel* summary_model = nullptr;
    ThumbnailCache* thumbnail_cache = nullptr;
    ImageBrowserModel* thumbnails = nullptr;
    ImageBrowserModel* file_list = nullptr;
    // The player and pictures of the file list's preview.
    PreviewPane* preview_pane = nullptr;

    // The close box, Return and Escape; the view decides what they do.
    std::function<void()> close_requested;
    std::function<void()> return_pressed;
    std::function<void()> escape_pressed;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // A control named after its outlet.
    template <class W, class... Args>
    W* make(Outlet o, Args&&... args) {
        return outlets_.make<W>(o, std::forward<Args>(args)...);
    }
    // A part of the window shown while any of these controls is.
    void follow(QWidget* part, std::vector<Outlet> controls) { outlets_.follow(part, std::move(controls)); }
    // The window's parts; each screen's builder is in a file of its own.
    QWidget* build_header();
    QWidget* build_device_page();
    QWidget* build_range_page(bool sig);
    QWidget* build_sector_box(bool sig, bool end);
    QWidget* build_file_type_page();
    QWidget* build_photo_results_page();
    QWidget* build_file_results_page();
    QWidget* build_progress_area();
    QWidget* build_help_panel();
    QWidget* build_button_bar();
    void set_tab_order();

    OutletRegistry outlets_;
    struct Page {
        QWidget* widget;
        int step;
    };
    std::vector<Page> pages_;
    // The screens' controls in Tab order, without the window's own buttons.
    std::vector<QWidget*> screen_controls_;
    StepStrip* strip_ = nullptr;
    std::array<QGroupBox*, 2> info_boxes_{};
    int step_ = 0;
};

}  // namespace salvex::gui
