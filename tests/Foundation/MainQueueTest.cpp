// The main-queue check: it passes on the main run loop's thread, aborts elsewhere, and passes everywhere
// when no main run loop is registered.
#include "Foundation/MainQueue.h"
#include "Foundation/ManualClock.h"
#include "Foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <thread>

namespace movra {
namespace {

[[maybe_unused]] void checkOnAnotherThread() {
    std::thread([] { MOVRA_ASSERT_MAIN_QUEUE(); }).join();
}

TEST(MainQueueDeathTest, CheckAbortsOffTheMainQueueOnly) {
#ifdef NDEBUG
    GTEST_SKIP() << "the check compiles to nothing with NDEBUG";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    checkOnAnotherThread();  // no main run loop yet
    {
        RunLoop main(std::make_shared<ManualClock>());
        RunLoop::setMain(&main);
        MOVRA_ASSERT_MAIN_QUEUE();
        EXPECT_DEATH(checkOnAnotherThread(),
                     "MainQueueTest.cpp:[0-9]+: .*checkOnAnotherThread.*must run on the main queue");
    }
    EXPECT_EQ(RunLoop::main(), nullptr);  // a destroyed loop is no longer the main one
    checkOnAnotherThread();
#endif
}

}  // namespace
}  // namespace movra
