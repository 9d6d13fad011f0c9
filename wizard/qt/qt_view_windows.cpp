// What the controller asks of the window beyond its controls: questions,
// modal windows, previews, opening files and addresses, ending the program.
#include <QAbstractButton>
#include <QClipboard>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPixmap>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/my_table_controller.h"
#include "app/texts/window.h"
#include "app/texts/wizard.h"
#include "results/qt/qt_text.h"
#include "results/qt/thumbnail_cache.h"
#include "wizard/qt/dialogs.h"
#include "wizard/qt/main_window.h"
#include "wizard/qt/preview_pane.h"
#include "wizard/qt/qt_view.h"
#include "wizard/qt/user_session.h"

namespace salvex::gui {

int QtView::alert(const AlertRequest& request) {
    if (alert_answerer) return alert_answerer(request);
    const auto box = make_alert_box(request, window_.get());
    // A question may be overtaken by the end of the search (see show_end_of_search_notice).
    QPointer<QMessageBox> outer = open_question_;
    if (request.buttons.size() > 1) open_question_ = box.get();
    if (modal_runner) modal_runner(*box);
    else box->exec();
    open_question_ = outer;
    return alert_answer(*box);
}

std::optional<std::string> QtView::choose_folder(const std::string& start_folder) {
    if (folder_chooser) return folder_chooser(start_folder);
    // Qt's own chooser: a desktop portal would not answer a program running as root.
    const QString folder = QFileDialog::getExistingDirectory(
        window_.get(), qs(text::kChooseResultFolder), qs(start_folder),
        QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (folder.isEmpty()) return std::nullopt;
    return folder.toStdString();
}

void QtView::clear_preview(Outlet o) {
    if (o == Outlet::mMovieView) window_->preview_pane->clear();
    else if (auto* label = window_->as<QLabel>(o)) label->clear();
    window_->preview_note->hide();
}

void QtView::show_preview_sheet(bool shown) { window_->preview_pane->show_sheet(shown); }

bool QtView::play_movie(Outlet o, const std::string& path) {
    return o == Outlet::mMovieView && window_->preview_pane->play(qs(path));
}

bool QtView::movie_playing(Outlet o) const { return o == Outlet::mMovieView && window_->preview_pane->playing(); }

void QtView::stop_movie(Outlet o) {
    if (o == Outlet::mMovieView) window_->preview_pane->stop();
}

bool QtView::show_picture(Outlet o, const QImage& picture) {
    auto* label = window_->as<QLabel>(o);
    if (label == nullptr || picture.isNull()) return false;
    QPixmap pixmap = QPixmap::fromImage(picture);
    pixmap.setDevicePixelRatio(label->devicePixelRatioF());
    label->setPixmap(pixmap);
    return true;
}

bool QtView::show_thumbnail(Outlet o, const std::string& path, int size) {
    const int pixels = static_cast<int>(std::lround(size * window_->devicePixelRatioF()));
    return show_picture(o, PreviewPane::content_picture(qs(path), pixels));
}

bool QtView::show_file_icon(Outlet o, const std::string& path, int size) {
    // The last resort of a preview: say when a package would have made a real one.
    const QString package = PreviewPane::missing_package(qs(path));
    window_->preview_note->setText(
        qs(text::kPreviewNeedsPackage).arg(package));
    window_->preview_note->setVisible(!package.isEmpty());
    const int pixels = static_cast<int>(std::lround(size * window_->devicePixelRatioF()));
    return show_picture(o, PreviewPane::type_icon_picture(qs(path), pixels));
}

void QtView::show_drive_loading_notice(bool shown) {
    if (!shown) {
        loading_notice_.reset();
        return;
    }
    // Before the window is up there is nothing to cover.
    if (!window_->isVisible()) return;
    loading_notice_ = make_drive_loading_notice(window_.get());
    loading_notice_->adjustSize();
    loading_notice_->move(window_->geometry().center() - loading_notice_->rect().center());
    loading_notice_->show();
    loading_notice_->repaint();
}

void QtView::run_modal(QDialog& dialog) {
    if (modal_runner) modal_runner(dialog);
    else dialog.exec();
}

void QtView::show_end_of_search_notice() {
    if (controller_ == nullptr) return;
    flush_lists();
    // A stop question still open has nothing left to stop: it goes as if answered
    // No (its cautious answer) before the notice comes.
    if (open_question_ != nullptr && open_question_->escapeButton() != nullptr) open_question_->escapeButton()->click();
    run_modal(*make_end_of_search_dialog(*controller_, window_.get()));
}

void QtView::check_image_decodes(const std::string& path, std::function<void(bool)> done) {
    // The answer may come after the controller has gone; then nobody needs it.
    window_->thumbnail_cache->check(qs(path), [this, path, done = std::move(done)](bool decodes) {
        if (controller_ == nullptr) return;
        if (!decodes && window_->package_note->isHidden()) {
            const QString package = PreviewPane::missing_package(qs(path));
            window_->package_note->setText(qs(text::kThumbnailsNeedPackage).arg(package));
            window_->package_note->setVisible(!package.isEmpty());
        }
        done(decodes);
    });
}

bool QtView::open(const QUrl& url) {
    const auto not_opened = [this, url] {
        // The path or address itself, so that the user can open it by hand.
        const bool local = url.isLocalFile();
        const QString where = local ? url.toLocalFile() : url.toString();
        const bool folder = local && QFileInfo(where).isDir();
        const std::string_view what = !local ? text::kAddress : folder ? text::kFolder : text::kFile;
        alert({.message = qs(text::kNotOpened).arg(qs(what)).toStdString(),
               .informative = std::string(text::kOpenByHand) + where.toStdString(),
               .buttons = {std::string(text::kOk)}});
    };
    const bool started = url_opener ? url_opener(url) : open_in_user_session(url, window_.get(), not_opened);
    if (!started) not_opened();
    return started;
}

bool QtView::open_file(const std::string& path) { return open(QUrl::fromLocalFile(qs(path))); }

bool QtView::open_url(const std::string& url) { return open(QUrl(qs(url))); }

void QtView::copy_to_clipboard(const std::string& text) {
    auto* data = new QMimeData;
    data->setText(qs(text));
    QGuiApplication::clipboard()->setMimeData(data);
}

void QtView::bring_to_front() {
    window_->raise();
    window_->activateWindow();
}

void QtView::show_browse_info_window() { run_modal(*make_browse_info_dialog(window_.get())); }

void QtView::show_about_window() {
    if (controller_ != nullptr) run_modal(*make_about_dialog(*controller_, window_.get()));
}

void QtView::show_support_window() {
    if (controller_ != nullptr) run_modal(*make_support_dialog(*controller_, window_.get()));
}

void QtView::quit_application() {
    if (quitter) {
        quitter();
        return;
    }
    std::fflush(nullptr);
    // Not exit(): a scan thread may still be using what static destructors would free.
    std::_Exit(0);
}

}  // namespace salvex::gui
