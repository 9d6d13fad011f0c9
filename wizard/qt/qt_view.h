#pragma once
// ControllerView for the Qt window: the controller's outlets are the widgets of
// MainWindow, its actions are wired to their signals, and work from the scan
// threads is queued onto the interface thread's event loop.
#include <QMessageBox>
#include <QPointer>
#include <QElapsedTimer>
#include <QUrl>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "app/controller_view.h"
#include "wizard/qt/sector_scale.h"

class MyTableController;
class QDialog;
class QImage;
class QTimer;

namespace salvex::gui {

class MainWindow;

class QtView : public ControllerView {
public:
    QtView();
    ~QtView() override;
    QtView(const QtView&) = delete;
    QtView& operator=(const QtView&) = delete;

    // Wires the widgets to the controller's actions; the controller must outlive the view's use.
    void attach(MyTableController& controller);
    MainWindow& window() { return *window_; }
    MyTableController* controller() { return controller_; }

    // Lists a disk-image file as a row of the device list and selects it; false,
    // after telling the user, when it cannot be read as one.
    bool add_disk_image_path(const std::string& path);
    // Takes the selected disk image off the list; false when no added image is selected.
    bool remove_disk_image();

    // The picture's zoom as a browser icon size, in pixels.
    static int zoom_pixels(double zoom);

    // Hooks for tests and the screenshot tool; each replaces the real thing.
    // Answers alerts without showing them.
    std::function<int(const AlertRequest&)> alert_answerer;
    // Runs a modal window instead of exec(); the window counts as closed afterwards.
    std::function<void(QDialog&)> modal_runner;
    std::function<std::optional<std::string>(const std::string& start)> folder_chooser;
    std::function<bool(const QUrl&)> url_opener;
    std::function<void()> quitter;

    // ControllerView.
    void set_text(Outlet o, const std::string& text) override;
    std::string text(Outlet o) const override;
    void set_hidden(Outlet o, bool hidden) override;
    void set_enabled(Outlet o, bool enabled) override;
    void set_state(Outlet o, bool on) override;
    bool state(Outlet o) const override;
    void focus(Outlet o) override;
    void set_range(Outlet o, std::uint64_t minimum, std::uint64_t maximum) override;
    void set_value(Outlet o, std::uint64_t value) override;
    std::uint64_t value(Outlet o) const override;
    void set_zoom(Outlet o, double zoom) override;
    void reload(Outlet o) override;
    long selected_row(Outlet o) const override;
    void scroll_to_end(Outlet o) override;
    void set_window_title(const std::string& title) override;
    int alert(const AlertRequest& request) override;
    std::optional<std::string> choose_folder(const std::string& start_folder) override;
    void clear_preview(Outlet o) override;
    void show_preview_sheet(bool shown) override;
    bool play_movie(Outlet o, const std::string& path) override;
    bool movie_playing(Outlet o) const override;
    void stop_movie(Outlet o) override;
    bool show_thumbnail(Outlet o, const std::string& path, int size) override;
    bool show_file_icon(Outlet o, const std::string& path, int size) override;
    void show_drive_loading_notice(bool shown) override;
    void show_end_of_search_notice() override;
    void check_image_decodes(const std::string& path, std::function<void(bool)> done) override;
    bool open_file(const std::string& path) override;
    bool open_url(const std::string& url) override;
    void copy_to_clipboard(const std::string& text) override;
    void bring_to_front() override;
    void show_browse_info_window() override;
    void show_about_window() override;
    void show_support_window() override;
    void quit_application() override;
    void post(std::function<void()> work) override;
    void post_and_wait(std::function<void()> work) override;
    void post_later(std::chrono::milliseconds delay, std::function<void()> work) override;
    std::size_t run_posted_work(std::chrono::milliseconds wait) override;

private:
    void run_modal(QDialog& dialog);
    bool open(const QUrl& url);
    // Runs an action of the controller from a widget's signal.
    template <class Action>
    void act(Action&& action);
    void connect_actions();
    void add_disk_image();
    void show_remove_image_button();
    void show_scan_stats();
    // During a search the lists take in new files a few times a second, not one by
    // one: each hand-over holds the search up until the window has taken it.
    void flush_lists();
    void warm_type_icons();
    // Shows a preview picture in a picture view, sharp at the screen's scale.
    bool show_picture(Outlet o, const QImage& picture);

    std::unique_ptr<MainWindow> window_;
    std::atomic<std::size_t> posted_work_run_{0};  // counts what run_posted_work ran
    MyTableController* controller_ = nullptr;
    // Texts as the controller set them: labels show them tidied.
    std::map<Outlet, std::string> texts_;
    // Sliders and the progress bar: the exact 64-bit value and its mapping.
    struct Span {
        SectorScale scale;
        std::uint64_t value = 0;
    };
    std::map<Outlet, Span> spans_;
    std::unique_ptr<QDialog> loading_notice_;
    // The photo search's files found and speed: counted from the search's start,
    // the speed from the start of the pass.
    struct ScanStats {
        std::uint64_t found_before = 0;
        std::uint64_t pass_first = UINT64_MAX;
        QElapsedTimer clock;
    } stats_;
    QTimer* list_flush_ = nullptr;
    bool thumbnails_due_ = false, files_due_ = false, summary_due_ = false;
    std::map<Outlet, bool> scroll_due_;
    // The question being asked, while one is.
    QPointer<QMessageBox> open_question_;
};

}  // namespace salvex::gui
