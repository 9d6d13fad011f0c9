#pragma once
// The tests' ControllerView: remembers every control's state, records every call
// in order, and answers alerts from a script (the default button when the script
// is empty). Work posted from other threads runs when the test pumps queue().
#include <algorithm>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/controller_view.h"
#include "app/interface_queue.h"

namespace salvex::test {

struct RecordedAlert {
    AlertRequest request;
    std::thread::id thread;
};

class RecordingView : public ControllerView {
public:
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
    // Answers at once: undecodable when the path ends in the scripted suffix.
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
    // Kept until the test runs it with run_later(), so no test waits on a clock.
    void post_later(std::chrono::milliseconds delay, std::function<void()> work) override;
    std::size_t run_posted_work(std::chrono::milliseconds wait) override { return queue_.run_for(wait); }

    // Script.
    void answer_next_alert(int button) { alert_answers_.push_back(button); }
    void answer_folder_chooser(std::optional<std::string> folder) { folder_answer_ = std::move(folder); }
    void select_row(Outlet o, long row) { selected_[o] = row; }
    // Files whose names end so do not decode as pictures.
    void undecodable_suffix(std::string suffix) { undecodable_suffix_ = std::move(suffix); }
    // Holds decodability answers back until answer_decodes(), as a busy worker would.
    void defer_decode_answers() { defer_decodes_ = true; }
    void answer_decodes();
    // Files whose names end so open as movies, or have a content picture, or a type icon.
    void movie_suffix(std::string suffix) { movie_suffix_ = std::move(suffix); }
    void thumbnail_suffix(std::string suffix) { thumbnail_suffix_ = std::move(suffix); }
    void icon_suffix(std::string suffix) { icon_suffix_ = std::move(suffix); }
    // Runs inside play_movie, while a preview is being prepared.
    std::function<void()> while_previewing;
    // What the preview sheet is doing at this moment.
    bool preview_sheet_shown() const { return sheet_shown_; }
    // Delays asked for by post_later, in order; run_later() runs that work and forgets it.
    const std::vector<std::chrono::milliseconds>& later_delays() const { return later_delays_; }
    void run_later();

    // What happened.
    const std::vector<std::string>& calls() const { return calls_; }
    // How often exactly this call was recorded, e.g. "end_of_search_notice".
    std::size_t count_calls(const std::string& call) const {
        return static_cast<std::size_t>(std::count(calls_.begin(), calls_.end(), call));
    }
    const std::vector<RecordedAlert>& alerts() const { return alerts_; }
    bool hidden(Outlet o) const;
    bool enabled(Outlet o) const;
    std::string window_title() const { return title_; }
    // The plain-text items the clipboard holds now.
    const std::vector<std::string>& clipboard() const { return clipboard_; }
    bool quit_requested() const { return quit_requested_; }
    Outlet focused() const { return focused_; }

    InterfaceQueue& queue() { return queue_; }

private:
    struct Control {
        std::string text;
        bool hidden = false, enabled = true, on = false;
        std::uint64_t minimum = 0, maximum = 0, value = 0;
        double zoom = 0;
    };
    void record(std::string call);

    std::map<Outlet, Control> controls_;
    std::map<Outlet, long> selected_;
    std::vector<std::string> calls_;
    std::vector<RecordedAlert> alerts_;
    std::deque<int> alert_answers_;
    std::optional<std::string> folder_answer_;
    std::string title_;
    std::vector<std::string> clipboard_;
    bool quit_requested_ = false;
    std::string undecodable_suffix_ = "\x01";
    bool defer_decodes_ = false;
    std::vector<std::function<void()>> deferred_decodes_;
    std::string movie_suffix_ = "\x01", thumbnail_suffix_ = "\x01", icon_suffix_ = "\x01";
    std::map<Outlet, bool> playing_;
    bool sheet_shown_ = false;
    std::vector<std::chrono::milliseconds> later_delays_;
    std::vector<std::function<void()>> later_work_;
    Outlet focused_ = Outlet::count_;
    InterfaceQueue queue_;
};

}  // namespace salvex::test
