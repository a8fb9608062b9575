// Delivery rules of the notification centre: names, senders, changes to the observer list during delivery.
#include "Foundation/NotificationCenter.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

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

TEST(NotificationCenter, PostFromInsideAHandlerIsDeliveredAtOnce) {
    NotificationCenter center;
    std::string trace;
    center.addObserver("Outer", [&](const Notification&) {
        trace += "outer< ";
        center.post("Inner");
        trace += ">outer ";
    });
    center.addObserver("Inner", [&](const Notification&) { trace += "inner "; });
    center.post("Outer");
    EXPECT_EQ(trace, "outer< inner >outer ");
}

TEST(NotificationCenter, ScopedObserverRemovesOnceAndMovesOwnership) {
    NotificationCenter center;
    int calls = 0;
    auto observe = [&] {
        return ScopedObserver(center, center.addObserver("N", [&](const Notification&) { ++calls; }));
    };
    {
        ScopedObserver outer;
        {
            ScopedObserver inner = observe();
            outer = std::move(inner);
        }  // the moved-from observer removes nothing
        center.post("N");
        EXPECT_EQ(calls, 1);

        outer = observe();  // replacing removes the old registration
        EXPECT_EQ(center.observerCount("N"), 1u);
    }
    EXPECT_EQ(center.observerCount("N"), 0u);
    center.post("N");
    EXPECT_EQ(calls, 1);
}

TEST(Notification, NumberValueReadsIntegersAndTruncatesFloats) {
    Notification n;
    n.userInfo = Json{{"int", 401}, {"float", 3.9}, {"text", "401"}};
    EXPECT_EQ(n.numberValue("int"), std::optional<long long>(401));
    EXPECT_EQ(n.numberValue("float"), std::optional<long long>(3));
    EXPECT_EQ(n.numberValue("text"), std::nullopt);
    EXPECT_EQ(n.numberValue("missing"), std::nullopt);
}

}  // namespace
}  // namespace movra
