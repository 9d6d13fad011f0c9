#pragma once
// A queue of work for the interface thread, for views without an event loop of
// their own (the terminal and the tests' fake). The thread that makes the queue
// owns it and must pump it while other threads wait on it.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>

namespace salvex {

// Work run on one thread while another waits for it. A failure is kept as its
// text and thrown afresh on the waiting thread, so no exception object is shared
// between threads. Every post_and_wait, the window's included, goes through it.
class WaitedWork {
public:
    explicit WaitedWork(std::function<void()> work) : work_(std::move(work)) {}
    // On the thread that runs the work.
    void run() noexcept;
    // On the waiting thread, once run() has returned.
    void rethrow_failure() const;

private:
    std::function<void()> work_;
    std::optional<std::string> failure_;
};

class InterfaceQueue {
public:
    InterfaceQueue();

    bool on_owner_thread() const { return std::this_thread::get_id() == owner_; }
    void post(std::function<void()> work);
    // Runs at once on the owner thread; elsewhere waits until the owner has run it.
    // An exception thrown by the work reaches the waiting caller.
    void post_and_wait(std::function<void()> work);

    // Owner thread only. Runs whatever is queued; returns how many ran.
    std::size_t run_pending();
    // Owner thread only. Waits up to the timeout for work, then runs what is queued.
    std::size_t run_for(std::chrono::milliseconds timeout);

private:
    std::thread::id owner_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> work_;
};

}  // namespace salvex
