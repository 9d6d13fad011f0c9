#include "app/interface_queue.h"

#include <future>
#include <optional>
#include <stdexcept>
#include <string>

namespace salvex {

InterfaceQueue::InterfaceQueue() : owner_(std::this_thread::get_id()) {}

void InterfaceQueue::post(std::function<void()> work) {
    {
        std::lock_guard lock(mutex_);
        work_.push_back(std::move(work));
    }
    ready_.notify_all();
}

void InterfaceQueue::post_and_wait(std::function<void()> work) {
    if (on_owner_thread()) {
        work();
        return;
    }
    // A failure comes back as a fresh exception with the same text: the one thrown
    // here stays on this thread, so no exception object is shared between threads.
    auto failure = std::make_shared<std::optional<std::string>>();
    auto task = std::make_shared<std::packaged_task<void()>>([work = std::move(work), failure] {
        try {
            work();
        } catch (const std::exception& e) {
            *failure = e.what();
        } catch (...) {
            *failure = "unknown failure on the interface thread";
        }
    });
    auto done = task->get_future();
    post([task] { (*task)(); });
    done.get();
    if (*failure) throw std::runtime_error(**failure);
}

std::size_t InterfaceQueue::run_pending() {
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(work_);
    }
    for (auto& w : batch) w();
    return batch.size();
}

std::size_t InterfaceQueue::run_for(std::chrono::milliseconds timeout) {
    {
        std::unique_lock lock(mutex_);
        ready_.wait_for(lock, timeout, [this] { return !work_.empty(); });
    }
    return run_pending();
}

}  // namespace salvex
