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

}  // namespace
}  // namespace movra
