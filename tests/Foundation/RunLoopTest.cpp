// Ordering of the main queue in virtual and real time: posts, delayed tasks, timers, cancellation and
// wake-ups from other threads.
#include "Foundation/ManualClock.h"
#include "Foundation/RunLoop.h"
#include "Foundation/SystemClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <latch>
#include <sstream>
#include <string>
#include <thread>

namespace movra {
namespace {

class RunLoopTest : public ::testing::Test {
  protected:
    // Each entry records the virtual time it ran at: "name@seconds".
    void note(const std::string& name) {
        if (!trace.empty()) trace += " ";
        std::ostringstream at;
        at << clock->monotonicSeconds();
        trace += name + "@" + at.str();
    }

    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    RunLoop loop{clock};
    std::string trace;
};

TEST_F(RunLoopTest, PostsRunInOrderAndDueDelayedTasksJoinBehindThem) {
    loop.post([&] {
        note("a");
        loop.post([&] { note("nested"); });
    });
    loop.postAfter(0, [&] { note("zero-delay"); });
    loop.postAfter(1, [&] { note("later"); });
    loop.post([&] { note("b"); });

    EXPECT_EQ(loop.runPending(), 4u);
    EXPECT_EQ(trace, "a@0 b@0 zero-delay@0 nested@0");
    EXPECT_EQ(loop.pendingCount(), 0u);
}

TEST_F(RunLoopTest, AdvanceFiresTimersAndDelayedTasksInDeadlineOrderAtTheirOwnTime) {
    auto late = loop.scheduleTimer(3, /*repeats=*/false, [&](Timer&) { note("timer3"); });
    loop.postAfter(1, [&] {
        note("delayed1");
        // Scheduled while time moves: still fires within this advance, at its own deadline.
        loop.postAfter(1.5, [&] { note("delayed2.5"); });
    });
    auto early = loop.scheduleTimer(2, /*repeats=*/false, [&](Timer&) { note("timer2"); });

    clock->advance(5);
    EXPECT_EQ(trace, "delayed1@1 timer2@2 delayed2.5@2.5 timer3@3");
    EXPECT_FALSE(early->isValid());
    EXPECT_DOUBLE_EQ(clock->monotonicSeconds(), 5);
}

TEST_F(RunLoopTest, TimersRepeatUntilInvalidatedAndSetFireDatePushesBack) {
    int fired = 0;
    auto ticking = loop.scheduleTimer(2, /*repeats=*/true, [&](Timer& t) {
        note("tick");
        if (++fired == 3) t.invalidate();
    });
    auto cancelled = loop.scheduleTimer(1, /*repeats=*/false, [&](Timer&) { note("cancelled"); });
    auto pushed = loop.scheduleTimer(5, /*repeats=*/false, [&](Timer&) { note("pushed"); });
    cancelled->invalidate();
    clock->advance(3);
    pushed->setFireDate(clock->monotonicSeconds() + 5);  // its original deadline (5) no longer counts
    clock->advance(20);
    EXPECT_EQ(trace, "tick@2 tick@4 tick@6 pushed@8");
    EXPECT_FALSE(ticking->isValid());
}

class RunLoopConcurrencyTest : public RunLoopTest {};

// What the clients wait with; a post from another thread wakes it.
TEST_F(RunLoopConcurrencyTest, RunUntilReturnsWhenThePredicateHoldsOrTheTimeoutPasses) {
    bool done = false;
    bool asked = false;
    std::latch looping(1);
    std::thread poster([&] {
        looping.wait();  // posts only once the loop has found nothing to do
        loop.post([&] { done = true; });
    });
    EXPECT_TRUE(loop.runUntil(
        [&] {
            if (!std::exchange(asked, true)) looping.count_down();
            return done;
        },
        10));
    poster.join();

    // Virtual time does not move by itself: a delayed task is not due, so the real timeout ends the wait.
    loop.postAfter(1, [&] { note("never"); });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(loop.runUntil([] { return false; }, 0.05));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
    EXPECT_EQ(trace, "");
}

// What the platform's shutdown relies on: nothing posted to a closed loop runs, and its captures are let go.
TEST_F(RunLoopTest, AClosedLoopDestroysWhatWaitsAndDropsWhatComesLater) {
    auto handle = loop.handle();
    auto captured = std::make_shared<int>(0);
    loop.post([&, captured] { note("queued"); });
    loop.postAfter(1, [&, captured] { note("delayed"); });
    loop.scheduleTimer(1, /*repeats=*/false, [&, captured](Timer&) { note("timer"); });
    EXPECT_TRUE(handle.post([&, captured] { note("through handle"); }));

    loop.close();
    EXPECT_EQ(captured.use_count(), 1);
    loop.post([&, captured] { note("late"); });
    loop.postAfter(0, [&, captured] { note("late delayed"); });
    EXPECT_FALSE(handle.post([&, captured] { note("late through handle"); }));
    EXPECT_EQ(captured.use_count(), 1);
    clock->advance(5);
    EXPECT_EQ(loop.runPending(), 0u);
    EXPECT_EQ(trace, "");

    RunLoopHandle orphan;
    EXPECT_FALSE(orphan.post([] {}));
    {
        RunLoop gone(clock);
        orphan = gone.handle();
    }
    EXPECT_FALSE(orphan.post([] {}));
}

TEST(RunLoopRealTime, DelayedTaskWakesRunUntilOnTime) {
    RunLoop loop(std::make_shared<SystemClock>());
    bool done = false;
    loop.postAfter(0.02, [&] { done = true; });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(loop.runUntil([&] { return done; }, 5));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

}  // namespace
}  // namespace movra
