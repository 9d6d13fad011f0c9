#include "support/recording_view.h"

#include <gtest/gtest.h>

namespace salvex::test {

namespace {
std::string name(Outlet o) { return std::string(outlet_name(o)); }
bool ends_with(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}
}  // namespace

// Every interface call must come on the interface thread, as in the real window.
void RecordingView::record(std::string call) {
    EXPECT_TRUE(queue_.on_owner_thread()) << call << " called off the interface thread";
    calls_.push_back(std::move(call));
}

void RecordingView::set_text(Outlet o, const std::string& text) {
    record("set_text " + name(o) + " " + text);
    controls_[o].text = text;
}
std::string RecordingView::text(Outlet o) const {
    const auto it = controls_.find(o);
    return it == controls_.end() ? std::string() : it->second.text;
}
void RecordingView::set_hidden(Outlet o, bool hidden) {
    record("set_hidden " + name(o) + (hidden ? " yes" : " no"));
    controls_[o].hidden = hidden;
}
void RecordingView::set_enabled(Outlet o, bool enabled) {
    record("set_enabled " + name(o) + (enabled ? " yes" : " no"));
    controls_[o].enabled = enabled;
}
void RecordingView::set_state(Outlet o, bool on) {
    record("set_state " + name(o) + (on ? " on" : " off"));
    controls_[o].on = on;
}
bool RecordingView::state(Outlet o) const {
    const auto it = controls_.find(o);
    return it != controls_.end() && it->second.on;
}
void RecordingView::focus(Outlet o) {
    record("focus " + name(o));
    focused_ = o;
}
void RecordingView::set_range(Outlet o, std::uint64_t minimum, std::uint64_t maximum) {
    record("set_range " + name(o) + " " + std::to_string(minimum) + " " + std::to_string(maximum));
    controls_[o].minimum = minimum;
    controls_[o].maximum = maximum;
}
void RecordingView::set_value(Outlet o, std::uint64_t value) {
    record("set_value " + name(o) + " " + std::to_string(value));
    controls_[o].value = value;
}
std::uint64_t RecordingView::value(Outlet o) const {
    const auto it = controls_.find(o);
    return it == controls_.end() ? 0 : it->second.value;
}
void RecordingView::set_zoom(Outlet o, double zoom) {
    record("set_zoom " + name(o) + " " + std::to_string(zoom));
    controls_[o].zoom = zoom;
}
void RecordingView::reload(Outlet o) { record("reload " + name(o)); }
long RecordingView::selected_row(Outlet o) const {
    const auto it = selected_.find(o);
    return it == selected_.end() ? -1 : it->second;
}
void RecordingView::scroll_to_end(Outlet o) { record("scroll_to_end " + name(o)); }
void RecordingView::set_window_title(const std::string& title) {
    record("set_window_title " + title);
    title_ = title;
}
int RecordingView::alert(const AlertRequest& request) {
    record("alert " + request.message);
    alerts_.push_back({request, std::this_thread::get_id()});
    if (alert_answers_.empty()) return 0;
    const int answer = alert_answers_.front();
    alert_answers_.pop_front();
    return answer;
}
std::optional<std::string> RecordingView::choose_folder(const std::string& start_folder) {
    record("choose_folder " + start_folder);
    return folder_answer_;
}
void RecordingView::clear_preview(Outlet o) { record("clear_preview " + name(o)); }
void RecordingView::show_preview_sheet(bool shown) {
    record(std::string("preview_sheet ") + (shown ? "shown" : "gone"));
    sheet_shown_ = shown;
}
bool RecordingView::play_movie(Outlet o, const std::string& path) {
    record("play_movie " + name(o) + " " + path);
    if (while_previewing) while_previewing();
    playing_[o] = ends_with(path, movie_suffix_);
    return playing_[o];
}
bool RecordingView::movie_playing(Outlet o) const {
    const auto it = playing_.find(o);
    return it != playing_.end() && it->second;
}
void RecordingView::stop_movie(Outlet o) {
    record("stop_movie " + name(o));
    playing_[o] = false;
}
bool RecordingView::show_thumbnail(Outlet o, const std::string& path, int size) {
    record("show_thumbnail " + name(o) + " " + std::to_string(size) + " " + path);
    return ends_with(path, thumbnail_suffix_);
}
bool RecordingView::show_file_icon(Outlet o, const std::string& path, int size) {
    record("show_file_icon " + name(o) + " " + std::to_string(size) + " " + path);
    return ends_with(path, icon_suffix_);
}
void RecordingView::show_drive_loading_notice(bool shown) {
    record(std::string("drive_loading_notice ") + (shown ? "shown" : "gone"));
}
void RecordingView::show_end_of_search_notice() { record("end_of_search_notice"); }
void RecordingView::check_image_decodes(const std::string& path, std::function<void(bool)> done) {
    const bool decodes = !(path.size() >= undecodable_suffix_.size() &&
                           path.compare(path.size() - undecodable_suffix_.size(), undecodable_suffix_.size(),
                                        undecodable_suffix_) == 0);
    if (defer_decodes_) deferred_decodes_.push_back([done, decodes] { done(decodes); });
    else done(decodes);
}

void RecordingView::answer_decodes() {
    auto answers = std::move(deferred_decodes_);
    deferred_decodes_.clear();
    for (auto& answer : answers) answer();
}
bool RecordingView::open_file(const std::string& path) {
    record("open_file " + path);
    return true;
}
bool RecordingView::open_url(const std::string& url) {
    record("open_url " + url);
    return true;
}
void RecordingView::copy_to_clipboard(const std::string& text) {
    record("copy_to_clipboard " + text);
    clipboard_.assign(1, text);
}
void RecordingView::bring_to_front() { record("bring_to_front"); }
void RecordingView::show_browse_info_window() { record("browse_info_window"); }
void RecordingView::show_about_window() { record("about_window"); }
void RecordingView::show_support_window() { record("support_window"); }
void RecordingView::quit_application() {
    record("quit_application");
    quit_requested_ = true;
}
void RecordingView::post(std::function<void()> work) { queue_.post(std::move(work)); }
void RecordingView::post_and_wait(std::function<void()> work) { queue_.post_and_wait(std::move(work)); }
void RecordingView::post_later(std::chrono::milliseconds delay, std::function<void()> work) {
    record("post_later " + std::to_string(delay.count()) + "ms");
    later_delays_.push_back(delay);
    later_work_.push_back(std::move(work));
}
void RecordingView::run_later() {
    auto work = std::move(later_work_);
    later_work_.clear();
    later_delays_.clear();
    for (auto& w : work) w();
}

bool RecordingView::hidden(Outlet o) const {
    const auto it = controls_.find(o);
    return it != controls_.end() && it->second.hidden;
}
bool RecordingView::enabled(Outlet o) const {
    const auto it = controls_.find(o);
    return it == controls_.end() || it->second.enabled;
}

}  // namespace salvex::test
