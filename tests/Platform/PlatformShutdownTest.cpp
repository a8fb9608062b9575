// The platform's ordered shutdown: requests in flight on real transports and work on the global queue
// finish into a closed main queue, singletons go while the platform still answers, and queued analytics
// hits are on disk.
#include "Platform/CurlHttpTransport.h"
#include "support/TemporaryDirectory.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <latch>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace movra {
namespace {

/// Two loopback servers that keep requests waiting until the test ends: an HTTP server whose answer waits,
/// and a socket that takes connections but never reads them. (Two requests at once on the HTTP server
/// would race inside the prebuilt server library, which ThreadSanitizer reports.)
class PlatformShutdownConcurrencyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        silent_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ASSERT_EQ(::bind(silent_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(::listen(silent_, 4), 0);
        ASSERT_EQ(::getsockname(silent_, reinterpret_cast<sockaddr*>(&address), &length), 0);
        silentPort_ = ntohs(address.sin_port);

        server_.Get("/slow", [this](const httplib::Request&, httplib::Response& res) {
            std::unique_lock lock(mutex_);
            ++held_;
            changed_.notify_all();
            changed_.wait(lock, [&] { return released_; });
            res.set_content("late", "text/plain");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        ASSERT_GT(port_, 0);
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::yield();
    }
    void TearDown() override {
        {
            std::lock_guard lock(mutex_);
            released_ = true;
        }
        changed_.notify_all();
        server_.stop();
        thread_.join();
        ::close(silent_);
    }
    static HttpRequest get(int port) {
        HttpRequest request;
        request.url = "http://127.0.0.1:" + std::to_string(port) + "/slow";
        return request;
    }
    bool waitForHeld(int count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(20), [&] { return held_ >= count; });
    }

    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    int silent_ = -1;
    int silentPort_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    int held_ = 0;
    bool released_ = false;
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
    own->dataTask(get(silentPort_), completion());
    platform.sharedTransport().dataTask(get(port_), completion());
    ASSERT_TRUE(waitForHeld(1));

    Platform::shutdown();
    EXPECT_FALSE(Platform::isInstalled());
    EXPECT_EQ(completions, 2);
    EXPECT_EQ(cancelled, 2);
    EXPECT_EQ(continuationsRun, 0);
    EXPECT_EQ(queuedTaskRuns, 0);
    EXPECT_EQ(captured.use_count(), 1);

    // A transport that outlives the platform takes no more work.
    auto late =
        own->dataTask(get(silentPort_), [&](const HttpTaskPtr&, auto, std::string, ErrorPtr) { ++completions; });
    EXPECT_EQ(late->state(), HttpTask::State::Completed);
    own.reset();
    EXPECT_EQ(completions, 2);
}

/// Notes what its destructor could still reach.
struct Witness {
    ~Witness() {
        installed = Platform::isInstalled();
        if (installed) globalQueue = Platform::current().globalQueue().label();
    }
    static inline bool installed = false;
    static inline std::string globalQueue;
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
    EXPECT_EQ(Witness::globalQueue, "global");
    const auto hits = Json::parse(temp.read("analytics/pending.json"));
    ASSERT_EQ(hits.size(), 30u);
    EXPECT_EQ(hits.back()["parameters"]["ev"], "29");
    Platform::shutdown();  // idempotent
}

}  // namespace
}  // namespace movra
