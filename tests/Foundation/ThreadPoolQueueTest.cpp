// Shutting a queue down: the running task finishes, the waiting ones are destroyed unrun, later ones too.
#include "Foundation/ThreadPoolQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <latch>
#include <memory>

namespace movra {
namespace {

/// Calls `run` when destroyed, which tells when the queue lets go of the task holding it.
struct OnDestroy {
    std::function<void()> run;
    ~OnDestroy() { run(); }
};

TEST(ThreadPoolQueueConcurrencyTest, ShutdownFinishesTheRunningTaskAndDropsTheRest) {
    ThreadPoolQueue queue("serial", 1);
    std::latch running(1), waitingDropped(1);
    std::atomic<bool> firstFinished{false}, waitingRan{false}, lateRan{false};
    queue.async([&] {
        running.count_down();
        waitingDropped.wait();  // still running while shutdown drops the task behind it
        firstFinished = true;
    });
    running.wait();
    queue.async([&, signal = std::make_shared<OnDestroy>([&] { waitingDropped.count_down(); })] { waitingRan = true; });

    queue.shutdown();
    EXPECT_TRUE(firstFinished);
    EXPECT_FALSE(waitingRan);
    queue.async([&] { lateRan = true; });
    queue.sync([&] { lateRan = true; });  // returns although the task never runs
    queue.shutdown();
    EXPECT_FALSE(lateRan);
}

}  // namespace
}  // namespace movra
