#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "app/interface_queue.h"

namespace {

using salvex::InterfaceQueue;

TEST(InterfaceQueue, PostRunsLaterInOrderOnTheOwner) {
    InterfaceQueue queue;
    std::vector<int> order;
    queue.post([&] { order.push_back(1); });
    queue.post([&] { order.push_back(2); });
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(queue.run_pending(), 2u);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(InterfaceQueue, WaitingOnTheOwnerThreadRunsAtOnce) {
    InterfaceQueue queue;
    bool ran = false;
    queue.post_and_wait([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_EQ(queue.run_pending(), 0u);
}

TEST(InterfaceQueue, WaiterOnAnotherThreadGetsTheWorksException) {
    InterfaceQueue queue;
    std::thread::id ran_on;
    bool caught = false;
    std::thread worker([&] {
        queue.post_and_wait([&] { ran_on = std::this_thread::get_id(); });
        try {
            queue.post_and_wait([] { throw std::runtime_error("boom"); });
        } catch (const std::runtime_error&) {
            caught = true;
        }
    });
    std::size_t ran = 0;
    while (ran < 2) ran += queue.run_for(std::chrono::milliseconds(20));
    worker.join();
    EXPECT_EQ(ran_on, std::this_thread::get_id());
    EXPECT_TRUE(caught);
}

}  // namespace
