#include "app/interface_queue.h"

#include <future>
#include <memory>
#include <stdexcept>

namespace salvex {

void WaitedWork::run() noexcept {
    try {
        work_();
    } catch (const std::exception& e) {
        failure_ = e.what();
    } catch (...) {
        failure_ = "unknown failure on the interface thread";
    }
}

void WaitedWork::rethrow_failure() const {
    if (failure_) throw std::runtime_error(*failure_);
}

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
    auto waited = std::make_shared<WaitedWork>(std::move(work));
    auto task = std::make_shared<std::packaged_task<void()>>([waited] { waited->run(); });
    auto done = task->get_future();
    post([task] { (*task)(); });
    done.get();
    waited->rethrow_failure();
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
