// Delivery rules of the notification centre: names, senders, changes to the observer list during delivery,
// and removal racing with delivery on other threads.
#include "Foundation/NotificationCenter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <optional>
#include <string>
#include <thread>

namespace movra {
namespace {

TEST(NotificationCenter, DeliversByNameAndSenderInRegistrationOrder) {
    NotificationCenter center;
    std::string trace;
    int a = 0, b = 0;
    center.addObserver("N", [&](const Notification&) { trace += "any "; });
    center.addObserver(
        "N", [&](const Notification&) { trace += "fromA "; }, &a);
    center.addObserver("Other", [&](const Notification&) { trace += "other "; });
    center.addObserver("N", [&](const Notification& n) { trace += n.userInfo.value("k", "") + " "; });

    center.post("N", &a, Json{{"k", "v"}});
    EXPECT_EQ(trace, "any fromA v ");
    trace.clear();
    center.post("N", &b);
    EXPECT_EQ(trace, "any  ");
    trace.clear();
    center.post("N");
    EXPECT_EQ(trace, "any  ");
}

TEST(NotificationCenter, ObserverListChangesDuringDelivery) {
    NotificationCenter center;
    std::string trace;
    NotificationCenter::Token second = 0;
    center.addObserver("N", [&](const Notification&) {
        trace += "first ";
        center.removeObserver(second);
        center.addObserver("N", [&](const Notification&) { trace += "added "; });
    });
    second = center.addObserver("N", [&](const Notification&) { trace += "second "; });
    NotificationCenter::Token self = 0;
    self = center.addObserver("N", [&](const Notification&) {
        trace += "self ";
        center.removeObserver(self);  // removing oneself while running must be safe
    });

    center.post("N");
    EXPECT_EQ(trace, "first self ");
    trace.clear();
    center.post("N");
    EXPECT_EQ(trace, "first added ");
}

// The owner of a handler frees what it uses right after removing it; a call still running, or starting,
// on the posting thread would use it freed.
TEST(NotificationCenterConcurrencyTest, NoCallRunsOrStartsOnceRemoveObserverReturns) {
    NotificationCenter center;
    std::atomic<bool> removed{false};
    std::atomic<bool> first{true};
    std::atomic<int> lateCalls{0};
    std::atomic<long> posts{0};
    std::atomic<bool> stop{false};
    std::latch entered(1), removing(1);
    const auto token = center.addObserver("N", [&](const Notification&) {
        if (first.exchange(false)) {
            entered.count_down();
            removing.wait();
            // Still inside while the main thread removes the observer.
            for (int i = 0; i < 1000; ++i) std::this_thread::yield();
        }
        if (removed) ++lateCalls;
    });
    std::thread poster([&] {
        while (!stop) {
            center.post("N");
            ++posts;
        }
    });
    entered.wait();
    removing.count_down();
    center.removeObserver(token);
    removed = true;
    // Let a good many posts go by after the removal.
    for (const long mark = posts + 1000; posts < mark;) std::this_thread::yield();
    stop = true;
    poster.join();
    EXPECT_EQ(lateCalls, 0);
}

// An observer that removes itself on its first notice, posted on two threads at once: neither removal may
// wait for the other.
TEST(NotificationCenterConcurrencyTest, HandlersRemovingThemselvesOnTwoThreadsAtOnceDoNotDeadlock) {
    NotificationCenter center;
    std::atomic<int> calls{0};
    std::latch bothInside(2);
    NotificationCenter::Token token = 0;
    token = center.addObserver("N", [&](const Notification&) {
        ++calls;
        bothInside.arrive_and_wait();
        center.removeObserver(token);
    });
    std::thread other([&] { center.post("N"); });
    center.post("N");
    other.join();
    center.post("N");
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(center.observerCount("N"), 0u);
}

}  // namespace
}  // namespace movra
