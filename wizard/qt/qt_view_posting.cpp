// Work from the scan threads handed to the interface thread's event loop.
#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QThread>
#include <QTimer>
#include <thread>

#include "app/interface_queue.h"
#include "wizard/qt/guarded.h"
#include "wizard/qt/main_window.h"
#include "wizard/qt/qt_view.h"

namespace salvex::gui {

void QtView::post(std::function<void()> work) {
    QMetaObject::invokeMethod(
        window_.get(),
        [this, work = std::move(work)] {
            ++posted_work_run_;
            guarded(work, "unknown failure in work posted to the window");
        },
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
    QMetaObject::invokeMethod(
        window_.get(),
        [this, &waited] {
            ++posted_work_run_;
            waited.run();
        },
        Qt::BlockingQueuedConnection);
    waited.rethrow_failure();
}

// Only the calls queued on the window run here, no input: a controller ending its
// scan must let a scan thread blocked in post_and_wait through, but nothing the user
// does may start anew while it waits.
std::size_t QtView::run_posted_work(std::chrono::milliseconds wait) {
    const std::size_t before = posted_work_run_;
    QCoreApplication::sendPostedEvents(window_.get(), QEvent::MetaCall);
    if (posted_work_run_ == before && wait.count() > 0) {
        std::this_thread::sleep_for(wait);
        QCoreApplication::sendPostedEvents(window_.get(), QEvent::MetaCall);
    }
    return posted_work_run_ - before;
}

}  // namespace salvex::gui
