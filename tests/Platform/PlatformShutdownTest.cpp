// The platform's ordered shutdown: requests in flight on real transports and work on the global queue
// finish into a closed main queue, singletons go while the platform still answers, and queued analytics
// hits are on disk.
#include "Platform/CurlHttpTransport.h"
#include "support/TemporaryDirectory.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <functional>
#include <latch>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace movra {
namespace {

/// A loopback socket that takes connections and never answers, so that requests stay in flight.
class PlatformShutdownConcurrencyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ASSERT_EQ(::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(::listen(listener_, 4), 0);
        ASSERT_EQ(::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length), 0);
        request_.url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/slow";
    }
    void TearDown() override {
        for (int fd : accepted_) ::close(fd);
        ::close(listener_);
    }
    /// Waits for the next request to connect.
    bool accepted() {
        pollfd ready{listener_, POLLIN, 0};
        if (::poll(&ready, 1, 20000) != 1) return false;
        accepted_.push_back(::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC));
        return accepted_.back() >= 0;
    }

    int listener_ = -1;
    std::vector<int> accepted_;
    HttpRequest request_;
};

/// Calls `run` when destroyed, which tells when a queue drops the task that holds it.
struct OnDestroy {
    std::function<void()> run;
    ~OnDestroy() { run(); }
};

TEST_F(PlatformShutdownConcurrencyTest, WorkFinishingDuringShutdownReachesAClosedMainQueue) {
    test::TestPlatform::Options options;
    options.realClock = true;
    options.transportFactory = [] { return std::make_shared<CurlHttpTransport>(); };
    test::TestPlatform t(options);
    auto& platform = t.platform();
    // Every continuation holds it: once shutdown returns, they must all have been let go.
    auto captured = std::make_shared<int>(0);
    std::atomic<int> completions{0}, cancelled{0}, continuationsRun{0}, queuedTaskRuns{0};

    // Both workers of the global queue wait until the shutdown drops the task queued behind them, then
    // post: through a handle, and the old way, looking the main queue up.
    std::latch workersBusy(2), dropped(1);
    for (int i = 0; i < 2; ++i) {
        platform.globalQueue().async([&, handle = platform.mainQueue().handle(), captured] {
            workersBusy.count_down();
            dropped.wait();
            EXPECT_FALSE(handle.post([&, captured] { ++continuationsRun; }));
            Platform::current().mainQueue().post([&, captured] { ++continuationsRun; });
        });
    }
    workersBusy.wait();
    platform.globalQueue().async(
        [&, signal = std::make_shared<OnDestroy>([&] { dropped.count_down(); })] { ++queuedTaskRuns; });

    auto completion = [&] {
        return [&, captured](const HttpTaskPtr&, std::shared_ptr<const HttpResponse>, std::string, ErrorPtr error) {
            ++completions;
            if (error && error->is(kURLErrorDomain, kURLErrorCancelled)) ++cancelled;
            Platform::current().mainQueue().post([&, captured] { ++continuationsRun; });
        };
    };
    auto own = platform.makeTransport();
    own->dataTask(request_, completion());
    platform.sharedTransport().dataTask(request_, completion());
    ASSERT_TRUE(accepted() && accepted());

    Platform::shutdown();
    EXPECT_FALSE(Platform::isInstalled());
    EXPECT_EQ(completions, 2);
    EXPECT_EQ(cancelled, 2);
    EXPECT_EQ(continuationsRun, 0);
    EXPECT_EQ(queuedTaskRuns, 0);
    EXPECT_EQ(captured.use_count(), 1);

    // A transport that outlives the platform takes no more work.
    auto late = own->dataTask(request_, [&](const HttpTaskPtr&, auto, std::string, ErrorPtr) { ++completions; });
    EXPECT_EQ(late->state(), HttpTask::State::Completed);
    own.reset();
    EXPECT_EQ(completions, 2);
}

/// Notes whether the platform was still there when it went.
struct Witness {
    ~Witness() { installed = Platform::isInstalled(); }
    static inline bool installed = false;
};

TEST(PlatformShutdownTest, SingletonsGoWhileThePlatformAnswersAndQueuedHitsAreOnDisk) {
    test::TemporaryDirectory temp;
    test::TestPlatform::Options options;
    options.configuration.dataDirectory = temp.path();
    options.analyticsCollectorUrl = "https://collector.test/mp";
    test::TestPlatform t(options);
    t.platform().sharedObject<Witness>();
    for (int i = 0; i < 30; ++i) t.collectorTracker->send({{"&t", "event"}, {"&ev", std::to_string(i)}});

    Platform::shutdown();
    EXPECT_TRUE(Witness::installed);
    EXPECT_EQ(Json::parse(temp.read("analytics/pending.json")).size(), 30u);
    Platform::shutdown();  // idempotent
}

}  // namespace
}  // namespace movra
