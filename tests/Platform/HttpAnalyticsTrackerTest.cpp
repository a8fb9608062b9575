// The collector tracker: wire format of a batch, batching, the pending file across restarts, failures.
#include "Foundation/Strings.h"
#include "Platform/HttpAnalyticsTracker.h"
#include "support/ManualDispatchQueue.h"
#include "support/TemporaryDirectory.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace movra {
namespace {

using test::ScriptedReply;

// The collector's answer: its status is all the tracker reads.
ScriptedReply reply(int status) { return test::xmlReply(status, ""); }

constexpr double kInterval = 20;

class HttpAnalyticsTrackerTest : public ::testing::Test {
  protected:
    std::shared_ptr<HttpAnalyticsTracker> makeTracker(const std::string& directory,
                                                      std::size_t maximumQueuedHits = 1000) {
        auto tracker = std::make_shared<HttpAnalyticsTracker>(
            HttpAnalyticsTracker::Options{.collectorUrl = "https://collector.test/mp",
                                          .directory = directory,
                                          .transport = t.network,
                                          .clock = t.manualClock,
                                          .maximumQueuedHits = maximumQueuedHits,
                                          .writer = writer = std::make_shared<test::ManualDispatchQueue>()});
        tracker->attach(t.main());
        tracker->configure("UA-1-1", kInterval, /*trackUncaughtExceptions=*/true);
        return tracker;
    }
    std::shared_ptr<HttpAnalyticsTracker> makeTracker() { return makeTracker(temp.file("analytics")); }
    /// Lets `seconds` of virtual time pass and waits for the answers they caused.
    void advance(double seconds) {
        t.advance(seconds);
        t.globalQueue->drain();
    }
    static AnalyticsTracker::Parameters event(int value) {
        return {{"&t", "event"}, {"&ec", "Home"}, {"&ea", "Home_CarouselSwipe"}, {"&ev", std::to_string(value)}};
    }
    std::vector<std::string> lines(std::size_t request) const {
        return split(t.network->requests().at(request).body, "\n");
    }
    std::string clientId() const { return trim(temp.read("analytics/client-id")); }

    test::TestPlatform t;
    test::TemporaryDirectory temp;
    /// The writer queue of the tracker made last.
    std::shared_ptr<test::ManualDispatchQueue> writer;
};

TEST_F(HttpAnalyticsTrackerTest, BatchCarriesEachHitMergedAndEncodedOnItsOwnLine) {
    t.network->answerAll(reply(200));
    auto tracker = makeTracker();
    tracker->set("&uid", "guid-1");
    tracker->set("&cd1", "User ID");
    tracker->set("&cd5", "Subscription Type");
    tracker->set("&cd5", std::nullopt);
    tracker->set("&cd", "Home");
    tracker->send(
        {{"&t", "event"}, {"&ec", "Sign In"}, {"&el", "a&b=c\nü/?"}, {"&uid", "123"}, {"&cd1", "123"}, {"&cd4", ""}});
    advance(5);
    tracker->send({{"&t", "screenview"}, {"&cd", "Search"}});
    advance(14);
    EXPECT_EQ(t.network->requests().size(), 0u);
    advance(1);

    ASSERT_EQ(t.network->requests().size(), 1u);
    const auto request = t.network->requests()[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.url, "https://collector.test/mp/batch");
    EXPECT_EQ(request.header("Content-Type"), "text/plain");
    const auto cid = clientId();
    EXPECT_EQ(request.body, "cd=Home&cd1=123&cid=" + cid +
                                "&ec=Sign%20In&el=a%26b%3Dc%0A%C3%BC/?&qt=20000&t=event&tid=UA-1-1&uid=123&v=1\n"
                                "cd=Search&cd1=User%20ID&cid=" +
                                cid + "&qt=15000&t=screenview&tid=UA-1-1&uid=guid-1&v=1");
}

TEST_F(HttpAnalyticsTrackerTest, PendingHitsAndTheClientIdSurviveARestart) {
    t.network->answerAll(reply(503));
    auto first = makeTracker();
    first->send(event(1));
    advance(kInterval);
    first.reset();
    const auto cid = clientId();

    t.network->answerAll(reply(200));
    auto restarted = makeTracker();
    restarted->send(event(2));
    advance(kInterval);
    ASSERT_EQ(t.network->requests().size(), 2u);
    const auto sent = lines(1);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_NE(sent[0].find("cid=" + cid + "&ea=Home_CarouselSwipe&ec=Home&ev=1&qt=40000&"), std::string::npos);
    EXPECT_NE(sent[1].find("cid=" + cid + "&ea=Home_CarouselSwipe&ec=Home&ev=2&qt=20000&"), std::string::npos);
}

TEST_F(HttpAnalyticsTrackerTest, TransientFailuresKeepTheBatchOtherClientErrorsDropIt) {
    const struct {
        const char* name;
        ScriptedReply reply;
        bool kept;
    } cases[] = {
        {"500", reply(500), true},
        {"429", reply(429), true},
        {"offline", test::failedReply(makeError(kURLErrorDomain, kURLErrorNotConnectedToInternet)), true},
        {"400", reply(400), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TemporaryDirectory folder;
        auto tracker = makeTracker(folder.path());
        tracker->send(event(7));
        t.network->answerAll(c.reply);
        const auto before = t.network->requests().size();
        advance(kInterval);
        t.network->answerAll(reply(204));
        advance(kInterval);
        EXPECT_EQ(t.network->requests().size() - before, c.kept ? 2u : 1u);
        writer->runAll();
        EXPECT_EQ(folder.read("pending.json"), "[]");
    }
}

TEST_F(HttpAnalyticsTrackerTest, OneBatchAtATimeAndFlushSendsThemAllWithoutTheRunLoop) {
    t.network->answerAll(test::heldReply());
    auto tracker = makeTracker(temp.path(), /*maximumQueuedHits=*/25);
    for (int i = 0; i < 27; ++i) tracker->send(event(i));  // the first two are dropped
    tracker->dispatch();
    advance(kInterval);
    EXPECT_EQ(t.network->requests().size(), 1u);
    for (const auto& task : t.network->tasks()) task->cancel();
    t.globalQueue->drain();

    t.network->answerAll(reply(502));
    EXPECT_FALSE(tracker->flush(/*timeoutSeconds=*/10));
    t.network->answerAll(reply(200));
    EXPECT_TRUE(tracker->flush(/*timeoutSeconds=*/10));
    ASSERT_EQ(t.network->requests().size(), 4u);
    EXPECT_EQ(lines(2).size(), 20u);
    EXPECT_NE(lines(2)[0].find("&ev=2&"), std::string::npos);
    EXPECT_EQ(lines(3).size(), 5u);
}

TEST_F(HttpAnalyticsTrackerTest, ADamagedPendingFileIsMovedAside) {
    t.network->answerAll(reply(200));
    std::filesystem::create_directories(temp.file("analytics"));
    for (const std::string damaged : {"[{\"madeAt\": 1", "[{\"madeAt\": \"x\", \"parameters\": {}}]"}) {
        SCOPED_TRACE(damaged);
        temp.write("analytics/pending.json", damaged);
        temp.write("analytics/client-id", "not an id");
        auto tracker = makeTracker();
        EXPECT_EQ(temp.read("analytics/pending.json.corrupt"), damaged);
        EXPECT_EQ(clientId().size(), 36u);
        tracker->send(event(1));
        EXPECT_TRUE(tracker->flush(/*timeoutSeconds=*/10));
        EXPECT_EQ(lines(t.network->requests().size() - 1).size(), 1u);
        // The answer's task holds the tracker until it ends; its last save must come before the next file.
        t.globalQueue->drain();
    }
}

TEST_F(HttpAnalyticsTrackerTest, ABurstOfHitsIsOneWriteAndShutdownWritesWhatIsLeft) {
    const auto pending = [&] { return Json::parse(temp.read("analytics/pending.json")); };
    auto tracker = makeTracker();
    for (int i = 0; i < 50; ++i) tracker->send(event(i));
    EXPECT_EQ(temp.read("analytics/pending.json"), "");  // not on the callers' thread
    EXPECT_EQ(writer->runAll(), 1u);
    EXPECT_EQ(pending().size(), 50u);

    for (int i = 50; i < 60; ++i) tracker->send(event(i));
    tracker->shutdown();
    EXPECT_EQ(writer->runAll(), 0u);  // the queued write was done by the shutdown
    const auto hits = pending();
    ASSERT_EQ(hits.size(), 60u);
    EXPECT_EQ(hits.back()["parameters"]["ev"], "59");
}

TEST_F(HttpAnalyticsTrackerTest, LoadingKeepsTheNewestHitsUpToTheCap) {
    Json hits = Json::array();
    for (int i = 0; i < 30; ++i) hits.push_back({{"madeAt", i}, {"parameters", {{"ev", std::to_string(i)}}}});
    temp.write("pending.json", hits.dump());
    makeTracker(temp.path(), /*maximumQueuedHits=*/25)->shutdown();
    const auto kept = Json::parse(temp.read("pending.json"));
    ASSERT_EQ(kept.size(), 25u);
    EXPECT_EQ(kept.front()["parameters"]["ev"], "5");
    EXPECT_EQ(kept.back()["parameters"]["ev"], "29");
}

}  // namespace
}  // namespace movra
