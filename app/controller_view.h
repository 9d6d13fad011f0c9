#pragma once
// The one door between the controller and whatever shows it: the Qt window,
// salvex-scan's terminal, or the recording fake of the tests. The controller never
// touches a widget; it speaks of outlets, texts and states in its own terms.
//
// Every method except post() and post_and_wait() must be called on the interface
// thread. Work on other threads reaches the interface through those two.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/outlets.h"

namespace salvex {

struct AlertRequest {
    std::string message;
    std::string informative;
    // First button is the default one; the answer is the index of the pressed button.
    std::vector<std::string> buttons{"OK"};
};

class ControllerView {
public:
    virtual ~ControllerView() = default;

    virtual void set_text(Outlet o, const std::string& text) = 0;
    virtual std::string text(Outlet o) const = 0;
    virtual void set_hidden(Outlet o, bool hidden) = 0;
    virtual void set_enabled(Outlet o, bool enabled) = 0;
    // Check boxes and radio buttons: on or off.
    virtual void set_state(Outlet o, bool on) = 0;
    virtual bool state(Outlet o) const = 0;
    virtual void focus(Outlet o) = 0;

    // Sliders and the progress bar count sectors, so both ends are 64-bit exact.
    virtual void set_range(Outlet o, std::uint64_t minimum, std::uint64_t maximum) = 0;
    virtual void set_value(Outlet o, std::uint64_t value) = 0;
    virtual std::uint64_t value(Outlet o) const = 0;
    // The thumbnail zoom, 0 to 1.
    virtual void set_zoom(Outlet o, double zoom) = 0;

    // Tables and browsers draw from the controller's lists; this asks them to look again.
    virtual void reload(Outlet o) = 0;
    // Selected row of a table or list (the first one in order), or -1 for none.
    virtual long selected_row(Outlet o) const = 0;
    // Scrolls a browser or list so that its last item is visible.
    virtual void scroll_to_end(Outlet o) = 0;

    virtual void set_window_title(const std::string& title) = 0;

    // A modal alert with exactly these texts and buttons; returns the pressed button's index.
    virtual int alert(const AlertRequest& request) = 0;
    // The folder chooser; nothing when the user cancels.
    virtual std::optional<std::string> choose_folder(const std::string& start_folder) = 0;
    // Empties the preview: the movie view stops and lets go of its movie, the
    // picture view shows nothing.
    virtual void clear_preview(Outlet o) = 0;
    // The file list's preview. The wait sheet over the control panel: shown and
    // drawn at once, or taken away.
    virtual void show_preview_sheet(bool shown) = 0;
    // Opens the file as a movie in the movie view and starts it; false, the view
    // left empty, when it is no movie the player can open. Never waits long.
    virtual bool play_movie(Outlet o, const std::string& path) = 0;
    virtual bool movie_playing(Outlet o) const = 0;
    virtual void stop_movie(Outlet o) = 0;
    // A picture of the file's content at most size x size points in the picture
    // view; false when there is none to make.
    virtual bool show_thumbnail(Outlet o, const std::string& path, int size) = 0;
    // The desktop's icon for the file's type at size x size; false when there is none.
    virtual bool show_file_icon(Outlet o, const std::string& path, int size) = 0;
    // The notice that drives are being loaded: shown, drawn at once, then taken away.
    virtual void show_drive_loading_notice(bool shown) = 0;
    // The end-of-search notice, modal, closed with its OK button.
    virtual void show_end_of_search_notice() = 0;
    // Whether a small thumbnail can be made of the file, answered through done on
    // the interface thread, at once or later: the window decodes on a worker, so
    // neither the interface nor the scan waits for a picture. The thumbnail browser
    // shows the no-preview picture for a carved photo that does not decode.
    virtual void check_image_decodes(const std::string& path, std::function<void(bool decodes)> done) = 0;
    virtual bool open_file(const std::string& path) = 0;
    virtual bool open_url(const std::string& url) = 0;
    // Replaces whatever the clipboard holds with this one plain-text item.
    virtual void copy_to_clipboard(const std::string& text) = 0;
    // Brings the main window and its control panel in front of other windows.
    virtual void bring_to_front() = 0;
    // The information window shown before the folder chooser, modal until its Continue button.
    virtual void show_browse_info_window() = 0;
    // The About window, modal until its own button closes it.
    virtual void show_about_window() = 0;
    // The support window (contact links, help document), modal until its Continue button.
    virtual void show_support_window() = 0;
    // Ends the program at once, a scan still running included.
    virtual void quit_application() = 0;

    // Runs work on the interface thread: post returns at once, post_and_wait
    // returns when the work has run (at once when already on that thread).
    virtual void post(std::function<void()> work) = 0;
    virtual void post_and_wait(std::function<void()> work) = 0;
    // Runs work on the interface thread once the delay has passed, without
    // holding that thread up meanwhile.
    virtual void post_later(std::chrono::milliseconds delay, std::function<void()> work) = 0;
    // Interface thread: runs the work posted to it so far, waiting up to `wait`
    // for some when there is none; how many ran. A view whose own event loop
    // runs posted work may leave it at the default, which only waits.
    virtual std::size_t run_posted_work(std::chrono::milliseconds wait) {
        std::this_thread::sleep_for(wait);
        return 0;
    }
};

}  // namespace salvex
