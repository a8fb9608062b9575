// The player item's control thread: calls in order off the caller's thread, a watchdog that reports a call
// that does not return, and a destructor that neither hangs on such a call nor drops the calls before it.
#include "Platform/GStreamerControlThread.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace movra {
namespace {

using namespace std::chrono_literals;

/// A call that blocks until released, as a pipeline call stuck on the demuxer's lock.
struct Blocker {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    GStreamerControlThread::Task task() {
        return [released = released] { released.wait(); };
    }
};

TEST(GStreamerControlThreadConcurrencyTest, RunsCallsInOrderOffTheCallerAndFinishesThemWhenDestroyed) {
    std::mutex mutex;
    std::vector<int> order;
    std::atomic<bool> onCaller = false;
    int stalls = 0;
    const auto caller = std::this_thread::get_id();
    {
        GStreamerControlThread control("control thread", 5, [&] { ++stalls; });
        for (int i = 0; i < 20; ++i) {
            control.post([&, i] {
                if (std::this_thread::get_id() == caller) onCaller = true;
                std::lock_guard lock(mutex);
                order.push_back(i);
            });
        }
    }
    std::vector<int> expected(20);
    for (int i = 0; i < 20; ++i) expected[i] = i;
    EXPECT_EQ(order, expected);
    EXPECT_FALSE(onCaller);
    EXPECT_EQ(stalls, 0);
}

TEST(GStreamerControlThreadConcurrencyTest, ReportsAStuckCallOnceAndIsAbandonedWithoutWaiting) {
    test::LogCapture log;
    Blocker blocker;
    std::promise<void> reported;
    std::atomic<int> stalls = 0;
    auto control = std::make_unique<GStreamerControlThread>("control thread", 0.2, [&] {
        if (++stalls == 1) reported.set_value();
    });
    control->post([] {});
    control->post(blocker.task());

    ASSERT_EQ(reported.get_future().wait_for(10s), std::future_status::ready);
    EXPECT_TRUE(control->isStalled());
    const auto start = std::chrono::steady_clock::now();
    control.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_EQ(stalls, 1);
    EXPECT_EQ(log.containing("abandoned").size(), 1u);
    blocker.release.set_value();
}

TEST(GStreamerControlThreadConcurrencyTest, DestroyedDuringAStuckCallWaitsOnlyTheTimeout) {
    test::LogCapture log;
    Blocker blocker;
    auto control = std::make_unique<GStreamerControlThread>("control thread", 0.3, [] {});
    control->post(blocker.task());
    const auto start = std::chrono::steady_clock::now();
    control.reset();
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 250ms);
    EXPECT_LT(waited, 5s);
    EXPECT_EQ(log.containing("abandoned").size(), 1u);
    blocker.release.set_value();
}

}  // namespace
}  // namespace movra
