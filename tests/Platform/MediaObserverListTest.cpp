// MediaObserverList: observers that change the list while it notifies. A player item's failure reaches the
// screen first, which ends the viewing and with it the quality monitor that observes the same key.
#include "Platform/MediaObserverList.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace movra {
namespace {

TEST(MediaObserverListTest, AnObserverRemovedOrAddedDuringANotificationIsNotCalledByIt) {
    MediaObserverList list;
    std::vector<std::string> calls;
    auto owner = std::make_unique<std::string>("monitor");
    MediaObservable::Token second = 0;
    list.add("status", [&] {
        calls.push_back("first");
        // Tears the second observer's owner down, as the screen does with the quality monitor.
        list.remove("status", second);
        owner.reset();
        list.add("status", [&] { calls.push_back("added"); });
    });
    second = list.add("status", [&] { calls.push_back(*owner); });
    list.add("rate", [&] { calls.push_back("rate"); });

    list.notify("status");
    EXPECT_EQ(calls, std::vector<std::string>{"first"});
    calls.clear();
    list.notify("status");
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "added"}));
}

}  // namespace
}  // namespace movra
