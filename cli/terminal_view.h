#pragma once
// ControllerView for a terminal: controls are remembered so the controller can
// read back what it set, alerts print their texts, and work for the interface
// thread runs when the main loop pumps the queue.
#include <cstdio>
#include <map>
#include <mutex>

#include "app/controller_view.h"
#include "app/interface_queue.h"

namespace salvex {

class TerminalView : public ControllerView {
public:
    explicit TerminalView(std::FILE* out = stdout, std::FILE* in = stdin, std::FILE* err = stderr);

    void set_text(Outlet o, const std::string& text) override;
    std::string text(Outlet o) const override;
    void set_hidden(Outlet o, bool hidden) override;
    void set_enabled(Outlet o, bool enabled) override;
    void set_state(Outlet o, bool on) override;
    bool state(Outlet o) const override;
    void focus(Outlet) override {}
    void set_range(Outlet o, std::uint64_t minimum, std::uint64_t maximum) override;
    void set_value(Outlet o, std::uint64_t value) override;
    std::uint64_t value(Outlet o) const override;
    void set_zoom(Outlet, double) override {}
    void reload(Outlet) override {}
    long selected_row(Outlet) const override { return -1; }
    void scroll_to_end(Outlet) override {}
    void set_window_title(const std::string&) override {}
    // A question (several buttons) is asked on a terminal, else answered with its
    // default. Anything else is a failure or a refusal: it goes to standard error
    // as "salvex-scan: ...", a permission failure with what works on this system.
    int alert(const AlertRequest& request) override;
    // Gives the text to print instead of an alert's own; empty keeps the alert's.
    void explain_alerts_with(std::function<std::string(const AlertRequest&)> explain) { explain_ = std::move(explain); }
    std::optional<std::string> choose_folder(const std::string&) override { return std::nullopt; }
    void clear_preview(Outlet) override {}
    // salvex-scan shows no file list, so nothing is ever previewed.
    void show_preview_sheet(bool) override {}
    bool play_movie(Outlet, const std::string&) override { return false; }
    bool movie_playing(Outlet) const override { return false; }
    void stop_movie(Outlet) override {}
    bool show_thumbnail(Outlet, const std::string&, int) override { return false; }
    bool show_file_icon(Outlet, const std::string&, int) override { return false; }
    void show_drive_loading_notice(bool) override {}
    void show_end_of_search_notice() override {}
    // Nothing is drawn here, so every file counts as showable.
    void check_image_decodes(const std::string&, std::function<void(bool)> done) override { done(true); }
    bool open_file(const std::string&) override { return false; }
    bool open_url(const std::string&) override { return false; }
    void copy_to_clipboard(const std::string&) override {}
    // A terminal has no windows to raise or to show.
    void bring_to_front() override {}
    void show_browse_info_window() override {}
    void show_about_window() override {}
    void show_support_window() override {}
    // Ends the process without waiting for a scan thread, as a confirmed exit does.
    void quit_application() override;
    void post(std::function<void()> work) override { queue_.post(std::move(work)); }
    void post_and_wait(std::function<void()> work) override { queue_.post_and_wait(std::move(work)); }
    // Only a preview's wait sheet asks for a delay, and a terminal has none to
    // let go of first, so the work is queued at once.
    void post_later(std::chrono::milliseconds, std::function<void()> work) override { queue_.post(std::move(work)); }
    std::size_t run_posted_work(std::chrono::milliseconds wait) override { return queue_.run_for(wait); }

    InterfaceQueue& queue() { return queue_; }

    // While set, every move of the progress bar redraws one progress line on a
    // terminal's standard error with the text this returns.
    void show_progress_with(std::function<std::string()> line) { progress_line_ = std::move(line); }
    // Ends a progress line in place, so that what follows starts on a line of its own.
    void finish_progress_line();

private:
    struct Control {
        std::string text;
        bool hidden = false, enabled = true, on = false;
        std::uint64_t minimum = 0, maximum = 0, value = 0;
    };
    std::string permission_advice() const;

    std::function<std::string()> progress_line_;
    std::function<std::string(const AlertRequest&)> explain_;
    bool progress_showing_ = false;
    std::FILE* out_;
    std::FILE* in_;
    std::FILE* err_;
    std::map<Outlet, Control> controls_;
    InterfaceQueue queue_;
};

}  // namespace salvex
