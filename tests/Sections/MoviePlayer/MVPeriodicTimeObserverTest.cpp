// The cast player's periodic observer: its block runs at every interval on its queue, until invalidated.
#include "Sections/MoviePlayer/MVPeriodicTimeObserver.h"
#include "support/ManualDispatchQueue.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

TEST(MVPeriodicTimeObserverTest, FiresOnTheMainQueueAtEachIntervalUntilInvalidated) {
    test::TestPlatform env;
    int fired = 0;
    auto observer = std::make_shared<MVPeriodicTimeObserver>(1.0, nullptr, [&] { ++fired; });
    observer->scheduleTimer();
    env.advance(0.9);
    env.main().runPending();
    EXPECT_EQ(fired, 0);
    env.advance(2.2);
    env.main().runPending();
    EXPECT_EQ(fired, 3);

    observer->invalidate();
    env.advance(5);
    env.main().runPending();
    EXPECT_EQ(fired, 3);
    EXPECT_FALSE(observer->timer());
}

TEST(MVPeriodicTimeObserverTest, BlockRunsOnItsOwnQueue) {
    test::TestPlatform env;
    auto queue = std::make_shared<test::ManualDispatchQueue>();
    int fired = 0;
    auto observer = std::make_shared<MVPeriodicTimeObserver>(0.5, queue, [&] { ++fired; });
    observer->scheduleTimer();
    env.advance(1.0);
    env.main().runPending();
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(queue->runAll(), 2u);
    EXPECT_EQ(fired, 2);
}

}  // namespace
}  // namespace movra
