// Work from the scan threads handed to the interface thread's event loop.
#include <QMetaObject>
#include <QThread>
#include <QTimer>

#include "app/interface_queue.h"
#include "wizard/qt/guarded.h"
#include "wizard/qt/main_window.h"
#include "wizard/qt/qt_view.h"

namespace salvex::gui {

void QtView::post(std::function<void()> work) {
    QMetaObject::invokeMethod(
        window_.get(),
        [work = std::move(work)] { guarded(work, "unknown failure in work posted to the window"); },
        Qt::QueuedConnection);
}

void QtView::post_later(std::chrono::milliseconds delay, std::function<void()> work) {
    QTimer::singleShot(delay, window_.get(), [this, work = std::move(work)]() mutable { post(std::move(work)); });
}

void QtView::post_and_wait(std::function<void()> work) {
    if (QThread::currentThread() == window_->thread()) {
        work();
        return;
    }
    WaitedWork waited(std::move(work));
    QMetaObject::invokeMethod(window_.get(), [&waited] { waited.run(); }, Qt::BlockingQueuedConnection);
    waited.rethrow_failure();
}

}  // namespace salvex::gui
