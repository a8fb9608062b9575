// The playback-quality client on the simulated engine in virtual time: what it measures of a viewing (join
// time, rebuffering, playing time, bitrate changes, a failing item), the events' wire form, and events that
// wait for a collector that is down, across a restart, without loss or repetition.
#include "Platform/HttpPlaybackQualityClient.h"
#include "support/ManualDispatchQueue.h"
#include "support/TemporaryDirectory.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

constexpr const char* kStream = "https://cdn.test/a/master.m3u8";

class HttpPlaybackQualityClientTest : public ::testing::Test {
  protected:
    std::shared_ptr<HttpPlaybackQualityClient> makeClient() {
        auto client = std::make_shared<HttpPlaybackQualityClient>(
            HttpPlaybackQualityClient::Options{.collectorUrl = "https://quality.test/q",
                                               .directory = temp.file("quality"),
                                               .transport = t.network,
                                               .clock = t.manualClock,
                                               .writer = std::make_shared<test::ManualDispatchQueue>()});
        client->attach(t.main());
        client->start("key-1");
        return client;
    }
    std::shared_ptr<MediaPlayer> makePlayer(test::SimulatedAssetScript script) {
        t.media->setScript(kStream, std::move(script));
        return t.media->makePlayer(t.media->makePlayerItem(t.media->makeAsset(kStream)));
    }
    /// Lets `seconds` of virtual time pass in steps, each waiting for the answers it caused.
    void advance(double seconds) {
        for (int i = 0; i < seconds * 10; ++i) {
            t.advance(0.1);
            t.globalQueue->drain();
            t.main().runPending();
        }
    }
    /// Every event the collector received, in order.
    std::vector<Json> received() const {
        std::vector<Json> events;
        for (const auto& request : t.network->requests()) {
            if (request.url != "https://quality.test/q/events") continue;
            for (const auto& event : Json::parse(request.body)) events.push_back(event);
        }
        return events;
    }
    static std::vector<std::string> types(const std::vector<Json>& events) {
        std::vector<std::string> out;
        for (const auto& e : events) out.push_back(e["type"]);
        return out;
    }

    test::TestPlatform t;
    test::TemporaryDirectory temp;
};

TEST_F(HttpPlaybackQualityClientTest, MeasuresAViewing) {
    t.network->answerAll(test::reply(204, "text/plain", ""));
    auto client = makeClient();
    const auto key = client->createSession(
        {"Frost Line", "LEVEL3", false, "Movra-Tavik iOS", "viewer-1", {{"Show", "Frost Line"}, {"AccountId", "a-1"}}});
    advance(1);
    test::SimulatedAssetScript script;
    script.duration = 60;
    script.readyDelay = 0.5;
    script.stallAt = 10;
    script.stallDuration = 3;
    script.bitrateSwitchAt = 20;
    auto player = makePlayer(script);
    client->attachPlayer(key, player);
    player->play();
    advance(39);  // ready at 1.5 s, stalls at 12 s for 3 s, switches bitrate at 25 s
    player->pause();
    client->sendEvent("AirPlay", {{"enabled", "true"}});
    advance(5);
    client->cleanupSession(key);
    client->cleanupSession(key);  // ended already: nothing
    advance(1);

    const auto events = received();
    EXPECT_EQ(types(events),
              (std::vector<std::string>{"sessionStart", "playerAttached", "bitrate", "join", "rebufferingStart",
                                        "rebufferingEnd", "bitrate", "event", "sessionEnd"}));
    for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i]["session"], events[0]["session"]);
        EXPECT_EQ(events[i]["seq"], i + 1);
    }
    const auto& start = events[0];
    EXPECT_EQ(start["customerKey"], "key-1");
    EXPECT_EQ(start["assetName"], "Frost Line");
    EXPECT_EQ(start["viewerId"], "viewer-1");
    EXPECT_EQ(start["tags"].dump(), R"({"Show":"Frost Line","AccountId":"a-1"})");
    EXPECT_EQ(events[3]["joinTimeMs"], 1500);
    EXPECT_EQ(events[6]["previousBps"], 900000.0);
    EXPECT_EQ(events[6]["bitrateBps"], 400000.0);
    EXPECT_EQ(events[7]["attributes"]["enabled"], "true");
    const auto& end = events.back();
    EXPECT_EQ(end["joinTimeMs"], 1500);
    EXPECT_EQ(end["rebufferingCount"], 1);
    EXPECT_EQ(end["rebufferingTimeMs"], 3000);
    EXPECT_EQ(end["playingTimeMs"], 35500);  // 1.5 to 12 s and 15 to 40 s
    EXPECT_EQ(end["bitrateChanges"], 1);
    EXPECT_EQ(end["playerFailed"], false);
}

TEST_F(HttpPlaybackQualityClientTest, AFailingItemAndAViewerWhoNeverJoined) {
    t.network->answerAll(test::reply(204, "text/plain", ""));
    auto client = makeClient();
    test::SimulatedAssetScript script;
    script.failAt = 4;
    script.failure = makeError(kMediaEngineErrorDomain, -11828, "Cannot Open");
    const auto failed = client->createSession({});
    auto player = makePlayer(script);
    client->attachPlayer(failed, player);
    player->play();
    advance(8);
    client->reportError(failed, "Video playback error");
    client->cleanupSession(failed);

    // Paused before it ever played: no join time and no rebuffering.
    const auto never = client->createSession({});
    client->attachPlayer(never, makePlayer({}));
    advance(5);
    client->cleanupSession(never);
    advance(1);

    const auto events = received();
    std::vector<Json> ends;
    for (const auto& e : events)
        if (e["type"] == "sessionEnd") ends.push_back(e);
    ASSERT_EQ(ends.size(), 2u);
    EXPECT_EQ(ends[0]["playerFailed"], true);
    EXPECT_EQ(ends[1]["joinTimeMs"], nullptr);
    EXPECT_EQ(ends[1]["rebufferingCount"], 0);
    EXPECT_EQ(ends[1]["playingTimeMs"], 0);
    const auto firstSession = types({events.begin(), events.begin() + 6});
    EXPECT_EQ(firstSession,
              (std::vector<std::string>{"sessionStart", "playerAttached", "bitrate", "join", "playerError", "error"}));
    EXPECT_EQ(events[4]["text"], "Cannot Open");
    EXPECT_EQ(events[5]["text"], "Video playback error");
}

TEST_F(HttpPlaybackQualityClientTest, EventsWaitForACollectorThatIsDownAcrossARestart) {
    t.network->answerAll(test::failedReply(makeError(kURLErrorDomain, kURLErrorCannotConnectToHost)));
    auto client = makeClient();
    const auto key = client->createSession({"Frost Line", "LEVEL3", false, "p", "v", {}});
    client->reportError(key, "Playback DRM failure.");
    client->cleanupSession(key);
    advance(25);
    // Tried at once and at each retry, the last time with every event.
    EXPECT_GE(t.network->requests().size(), 3u);
    EXPECT_EQ(Json::parse(t.network->requests().back().body).size(), 3u);

    // Refused for a while with a server error, then the process ends with the events still waiting.
    t.network->answerAll(test::reply(503, "text/plain", ""));
    advance(10);
    client->shutdown();
    client.reset();
    const auto attempts = t.network->requests().size();

    t.network->answerAll(test::reply(204, "text/plain", ""));
    auto next = makeClient();
    advance(10);
    const auto& requests = t.network->requests();
    ASSERT_EQ(requests.size(), attempts + 1);
    const auto delivered = Json::parse(requests.back().body);
    ASSERT_EQ(delivered.size(), 3u);
    EXPECT_EQ(delivered[1]["type"], "error");
    EXPECT_EQ(delivered[1]["text"], "Playback DRM failure.");
    EXPECT_EQ(delivered[2]["type"], "sessionEnd");
    advance(30);
    EXPECT_EQ(t.network->requests().size(), attempts + 1);  // taken: never sent again
}

}  // namespace
}  // namespace movra

namespace movra {
namespace {

TEST_F(HttpPlaybackQualityClientTest, AViewingEndedByAnEarlierObserverOfTheFailureIsNotMeasuredFurther) {
    t.network->answerAll(test::reply(204, "text/plain", ""));
    auto client = makeClient();
    test::SimulatedAssetScript script;
    script.failAt = 2;
    script.failure = makeError(kMediaEngineErrorDomain, -11828, "Cannot Open");
    const auto session = client->createSession({});
    auto player = makePlayer(script);
    // As the player screen does: told of the failure before the monitor, it ends the viewing there and then.
    auto item = player->currentItem();
    item->addObserver("status", [&] {
        if (item->status() != MediaPlayerItemStatus::Failed) return;
        client->reportError(session, "Video playback error");
        client->cleanupSession(session);
    });
    client->attachPlayer(session, player);
    player->play();
    advance(4);

    const auto events = received();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(types(events),
              (std::vector<std::string>{"sessionStart", "playerAttached", "bitrate", "join", "error", "sessionEnd"}));
    EXPECT_EQ(events.back()["playerFailed"], false);
}

}  // namespace
}  // namespace movra
