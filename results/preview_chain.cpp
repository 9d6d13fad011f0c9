// The file list's preview: selecting a file plays it when the player can open
// it, else shows a bounded picture of it. A scan that ends while a preview is
// being prepared leaves its final screen to the preview (see Raw_File_Rec_Thread).
#include <filesystem>

#include "app/diagnostics.h"
#include "app/my_table_controller.h"

using salvex::Outlet;

namespace {
std::string last_component(const std::string& path) { return std::filesystem::path(path).filename().string(); }
}  // namespace

void MyTableController::imageBrowserSelectionDidChange(Outlet browser) {
    if (browser != Outlet::imageBrowser_2) return;
    try {
        const long first = view_.selected_row(browser);
        if (first < 0) return;
        const auto index = static_cast<std::uint64_t>(first);
        if (index == kNotFound || index == Prev_Index) return;
        Prev_Index = index;
        view_.clear_preview(Outlet::QuickLook_View);
        closemovie_Win();
        if (index >= images.size()) return;
        // A copy: the list may be cleared while the sheet's session runs.
        const MyImageObject item = images[index];
        view_.set_text(Outlet::QuickLook_View_Box, last_component(item.path));
        view_.post_and_wait([this, &item] { CreateFile_QuickLook_View(item.path); });
    } catch (const std::exception& e) {
        Show_NSLog_Message(e.what());
    }
}

void MyTableController::imageBrowser_cellWasDoubleClickedAtIndex(Outlet browser, std::uint64_t index) {
    if (browser != Outlet::imageBrowser_2 || index >= images.size()) return;
    view_.open_file(images[index].path);
}

void MyTableController::CreateFile_QuickLook_View(const std::string& path) {
    try {
        view_.show_preview_sheet(true);
        session = true;
        view_.post_and_wait([this, &path] { QuickLook_Preview_Thread(path); });
    } catch (...) {
        // A preview that fails leaves the pane as far as it got.
    }
    if (session) {
        try {
            view_.show_preview_sheet(false);
        } catch (...) {
        }
        session = false;
    }
    // The scan ended while the sheet was up and left its final screen to us.
    if (stop_now == 1 && !session) view_.post_later(kHandOffPause, [this] { request_final_screen(); });
}

void MyTableController::QuickLook_Preview_Thread(const std::string& path) { setQuickLook_View(path); }

void MyTableController::setQuickLook_View(const std::string& path) {
    if (path.empty()) return;
    if (view_.play_movie(Outlet::mMovieView, path)) {
        view_.set_hidden(Outlet::QuickLook_View, true);
        view_.set_hidden(Outlet::mMovieView, false);
        return;
    }
    view_.set_hidden(Outlet::QuickLook_View, false);
    view_.set_hidden(Outlet::mMovieView, true);
    Image_Preview(path, last_component(path));
}

void MyTableController::Image_Preview(const std::string& path, const std::string& /*file_name*/) {
    if (path.empty()) return;
    if (!view_.show_thumbnail(Outlet::QuickLook_View, path, kPreviewPoints))
        view_.show_file_icon(Outlet::QuickLook_View, path, kPreviewPoints);
}

void MyTableController::closemovie_Win() {
    stopPlayingMovie(Outlet::mMovieView);
    view_.clear_preview(Outlet::mMovieView);
}

bool MyTableController::isPlaying(Outlet movie) const { return view_.movie_playing(movie); }

void MyTableController::stopPlayingMovie(Outlet movie) {
    if (isPlaying(movie)) view_.stop_movie(movie);
}

double MyTableController::scrollerAction(ScrollerPart hit, double value) {
    switch (hit) {
        case ScrollerPart::DecrementPage: return value - 0.2;
        case ScrollerPart::IncrementPage: return value + 0.2;
        case ScrollerPart::DecrementLine: return value - 0.05;
        case ScrollerPart::IncrementLine: return value + 0.05;
        default: return value;
    }
}
