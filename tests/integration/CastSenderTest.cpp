// The cast sender (the protocol v2 device manager and its channels) against the emulator's cast receiver, over
// TLS on loopback. The heartbeat runs in virtual time.
#include "EmulatorTest.h"
#include "Platform/CastSdk.h"
#include "Platform/CastV2DeviceManager.h"
#include "movra-backend/CastReceiverApplication.h"
#include "movra-backend/MediaLibrary.h"
#include "support/CastRecorder.h"
#include "support/TestPlatform.h"

namespace movra::backend {

namespace {

constexpr const char* kApplicationId = "4F8A21C7";
constexpr const char* kEpisode = "series-coastline-s1e01";
constexpr const char* kNextEpisode = "series-coastline-s1e02";

}  // namespace

class CastSenderTest : public EmulatorTest {
  protected:
    using App = CastReceiverApplication;

    /// The six channels the cast manager opens.
    struct Channels {
        explicit Channels(test::CastRecorder& recorder)
            : subtitles(App::kSubtitlesNamespace, recorder),
              dubbing(App::kDubbingNamespace, recorder),
              error(App::kErrorNamespace, recorder),
              teardown(App::kTeardownNamespace, recorder),
              chainPlay(App::kChainPlayNamespace, recorder) {
            media.setDelegate(&recorder);
        }
        test::CastRecorder::TextChannel subtitles, dubbing, error, teardown, chainPlay;
        CastMediaControlChannel media;
    };

    void SetUp() override { startWithSpeed(1); }

    void startWithSpeed(double speed) {
        BackendServer::Options options;
        options.castReceiverName = "Living Room TV";
        options.castSpeed = speed;
        start(options);
        ASSERT_NE(server_->castReceiver(), nullptr);
        token_ = tokenFor(kAnna, kAnnasPassword);
    }

    CastDevice device() const {
        return CastDevice{.deviceID = "living-room",
                          .friendlyName = "Living Room TV",
                          .modelName = "Movra Cast Emulator",
                          .ipAddress = "127.0.0.1",
                          .servicePort = server_->castReceiver()->port()};
    }

    bool waitFor(const test::CastRecorder& recorder, const std::string& prefix, std::size_t times = 1) {
        return platform_.runUntil([&] { return recorder.count(prefix) >= times; }, 10);
    }

    std::unique_ptr<CastV2DeviceManager> connected(test::CastRecorder& recorder) {
        auto manager = std::make_unique<CastV2DeviceManager>(device(), "com.movratavik.test");
        manager->setDelegate(&recorder);
        manager->connect();
        EXPECT_TRUE(waitFor(recorder, "connected")) << testing::PrintToString(recorder.events);
        return manager;
    }

    void attach(CastDeviceManager& manager, Channels& channels) {
        for (CastChannel* channel :
             std::initializer_list<CastChannel*>{&channels.subtitles, &channels.dubbing, &channels.error,
                                                 &channels.teardown, &channels.media, &channels.chainPlay})
            ASSERT_TRUE(manager.addChannel(*channel));
    }

    /// Connects, launches the application and attaches `channels`.
    std::unique_ptr<CastV2DeviceManager> launched(test::CastRecorder& recorder, Channels& channels) {
        auto manager = connected(recorder);
        EXPECT_TRUE(manager->launchApplication(kApplicationId, /*relaunchIfRunning=*/false));
        EXPECT_TRUE(waitFor(recorder, "application launched 4F8A21C7")) << testing::PrintToString(recorder.events);
        attach(*manager, channels);
        return manager;
    }

    /// The load's media information with the eight keys of custom data, less `without`.
    CastMediaInformation media(const std::string& guid, const std::string& without = {},
                               const std::string& token = {}) const {
        Json custom = {{"deviceId", kDeviceId},
                       {"deviceToken", token.empty() ? token_ : token},
                       {"assetId", guid},
                       {"language", "sv"},
                       {"subtitleLanguage", ""},
                       {"audioTrack", "English"},
                       {"item", {{"guid", guid}, {"title", "Low Tide"}}},
                       {"convivaMetadata", Json::object()}};
        if (!without.empty()) custom.erase(without);
        CastMediaMetadata metadata;
        metadata.setString("Coastline", kCastMetadataKeyTitle);
        return CastMediaInformation("https://127.0.0.1/cast/" + guid, CastMediaStreamType::Buffered, "text/xml",
                                    metadata, 0, custom);
    }

    double durationOf(const std::string& guid) const { return MediaLibrary::assetForTitle(guid).durationSeconds; }

    test::TestPlatform platform_;
    std::string token_;
};

TEST_F(CastSenderTest, LaunchesLoadsControlsAndLeaves) {
    test::CastRecorder recorder;
    Channels channels(recorder);
    auto manager = launched(recorder, channels);
    ASSERT_TRUE(waitFor(recorder, std::string("text ") + App::kSubtitlesNamespace + " ready"));

    ASSERT_NE(channels.media.loadMedia(media(kEpisode), /*autoplay=*/true, 2), kCastInvalidRequestID);
    ASSERT_TRUE(waitFor(recorder, "loaded ")) << testing::PrintToString(recorder.events);
    EXPECT_TRUE(recorder.last("status ").starts_with("status PLAYING 0 2 " + std::string(kEpisode)));
    ASSERT_TRUE(waitFor(recorder, std::string("text ") + App::kDubbingNamespace));
    const Json tracks =
        Json::parse(recorder.last("text " + std::string(App::kDubbingNamespace))
                        .substr(std::string("text ").size() + std::string(App::kDubbingNamespace).size() + 1));
    ASSERT_EQ(tracks["tracks"].size(), 3u);
    EXPECT_EQ(tracks["tracks"][1]["name"], "English");
    EXPECT_EQ(tracks["tracks"][1]["enabled"], true) << "the load's audio track is the one playing";
    EXPECT_EQ(controlJson("/_emulator/sessions")[kAnna][kDeviceId], kEpisode);

    ASSERT_NE(channels.media.pause(), kCastInvalidRequestID);
    ASSERT_TRUE(waitFor(recorder, "status PAUSED"));
    const int middle = static_cast<int>(durationOf(kEpisode) / 2);
    ASSERT_NE(channels.media.seekToTimeInterval(middle), kCastInvalidRequestID);
    ASSERT_TRUE(waitFor(recorder, "status PAUSED 0 " + std::to_string(middle) + " "))
        << testing::PrintToString(recorder.events);
    EXPECT_DOUBLE_EQ(channels.media.approximateStreamPosition(), middle);
    // Only the load's status carries the media; the sender keeps it through the later ones.
    ASSERT_TRUE(channels.media.mediaStatus()->mediaInformation);
    EXPECT_EQ(channels.media.mediaStatus()->mediaInformation->contentID(), media(kEpisode).contentID());
    ASSERT_TRUE(channels.dubbing.sendTextMessage(R"({"audioTrack": "Suomi"})"));
    ASSERT_TRUE(waitFor(recorder, std::string("text ") + App::kDubbingNamespace, 2));
    EXPECT_NE(recorder.last("text " + std::string(App::kDubbingNamespace))
                  .find(R"("name":"Suomi","streamIndex":2,"enabled":true)"),
              std::string::npos);

    ASSERT_NE(channels.media.stop(), kCastInvalidRequestID);
    ASSERT_TRUE(waitFor(recorder, "status IDLE 2"));
    EXPECT_TRUE(controlJson("/_emulator/sessions")[kAnna].is_null() ||
                controlJson("/_emulator/sessions")[kAnna].empty())
        << "stopping closes the streaming session";
    // The receiver no longer has that media session.
    const auto pause = channels.media.pause();
    ASSERT_TRUE(waitFor(recorder, "request failed"));
    EXPECT_EQ(recorder.last("request failed"), "request failed " + std::to_string(pause) + " 4");

    ASSERT_TRUE(manager->leaveApplication());
    ASSERT_TRUE(waitFor(recorder, "application disconnected none"));
    EXPECT_FALSE(channels.media.isConnected());
    manager->disconnect();
    ASSERT_TRUE(waitFor(recorder, "disconnected none"));
    EXPECT_EQ(controlJson("/_emulator/cast")["application"]["sessionId"], recorder.sessionID)
        << "leaving keeps the application running";
}

TEST_F(CastSenderTest, LoadNeedsEveryCustomDataKeyAndAValidDeviceToken) {
    test::CastRecorder recorder;
    Channels channels(recorder);
    auto manager = launched(recorder, channels);

    const std::pair<std::string, std::string> refused[] = {
        {"deviceId", ""}, {"deviceToken", ""},      {"assetId", ""},
        {"language", ""}, {"subtitleLanguage", ""}, {"audioTrack", ""},
        {"item", ""},     {"convivaMetadata", ""},  {"", "not-a-live-token"},
    };
    std::size_t failures = 0;
    for (const auto& [without, token] : refused) {
        SCOPED_TRACE(without.empty() ? "token " + token : "without " + without);
        ASSERT_NE(channels.media.loadMedia(media(kEpisode, without, token), true, 0), kCastInvalidRequestID);
        ASSERT_TRUE(waitFor(recorder, "load failed", ++failures));
        EXPECT_EQ(recorder.errors.back()->code, kCastErrorMediaLoadFailed);
    }
    EXPECT_FALSE(recorder.saw("loaded"));
    EXPECT_FALSE(channels.media.mediaStatus());
    EXPECT_TRUE(controlJson("/_emulator/sessions")[kAnna].is_null()) << "no refused load opens a session";
}

TEST_F(CastSenderTest, HeartbeatsKeepAnIdleConnectionAndAFrozenReceiverIsLost) {
    test::CastRecorder recorder;
    auto manager = connected(recorder);
    // Six intervals with nothing but heartbeats: each PING's PONG arrives before the next interval.
    for (int i = 0; i < 6; ++i) {
        platform_.advance(CastV2DeviceManager::kHeartbeatInterval);
        const double now = platform_.platform().clock().monotonicSeconds();
        ASSERT_TRUE(platform_.runUntil([&] { return manager->lastHeardFromReceiver() == now; }, 10))
            << "no PONG after " << (i + 1) * 5 << " s";
    }
    EXPECT_EQ(manager->connectionState(), CastConnectionState::Connected);
    EXPECT_FALSE(recorder.saw("disconnected"));

    server_->castReceiver()->setFrozen(true);
    double waited = 0;
    while (!recorder.saw("disconnected") && waited < 30) {
        platform_.advance(CastV2DeviceManager::kHeartbeatInterval);
        waited += CastV2DeviceManager::kHeartbeatInterval;
    }
    EXPECT_LE(waited, 20);
    EXPECT_EQ(recorder.last("disconnected"), "disconnected 2");
    EXPECT_EQ(manager->connectionState(), CastConnectionState::Disconnected);
}

TEST_F(CastSenderTest, ChainPlayMovesOnToTheNextEpisodeUnlessDismissed) {
    startWithSpeed(20);
    test::CastRecorder recorder;
    Channels channels(recorder);
    auto manager = launched(recorder, channels);

    const std::string chainPlay = std::string("text ") + App::kChainPlayNamespace + " ";
    ASSERT_NE(channels.media.loadMedia(media(kEpisode), true, durationOf(kEpisode) - 20), kCastInvalidRequestID);
    ASSERT_TRUE(waitFor(recorder, chainPlay + R"({"type":"START")")) << testing::PrintToString(recorder.events);
    const Json known = Json::parse(recorder.last(chainPlay + R"({"type":"NEXT_MEDIA_KNOWN")").substr(chainPlay.size()));
    EXPECT_EQ(known["isChainplay"], true);
    EXPECT_EQ(known["chainplayCountdownValue"], 15);
    EXPECT_EQ(known["media"]["customData"]["item"]["guid"], kNextEpisode);
    ASSERT_TRUE(waitFor(recorder, std::string("status PLAYING 0 0 ") + kNextEpisode))
        << "the receiver moves on by itself; " << testing::PrintToString(recorder.events);
    EXPECT_EQ(controlJson("/_emulator/sessions")[kAnna][kDeviceId], kNextEpisode);

    // Dismissed: the title ends with the idle report and the streaming session closes.
    ASSERT_TRUE(channels.media.seekToTimeInterval(durationOf(kNextEpisode) - 18) != kCastInvalidRequestID);
    ASSERT_TRUE(waitFor(recorder, chainPlay + R"({"type":"START")", 2));
    ASSERT_TRUE(channels.chainPlay.sendTextMessage(R"({"type" : "DISMISS"})"));
    ASSERT_TRUE(waitFor(recorder, chainPlay + R"({"type":"DISMISSED"})"));
    ASSERT_TRUE(waitFor(recorder, "status IDLE 0")) << "the idle report's reason is no standard one";
    EXPECT_TRUE(controlJson("/_emulator/sessions")[kAnna].is_null() ||
                controlJson("/_emulator/sessions")[kAnna].empty());
    EXPECT_EQ(controlJson("/_emulator/cast")["application"]["state"]["titlesPlayed"], 2);
}

TEST_F(CastSenderTest, ErrorFaultEndsPlaybackAndTeardownEndsTheSession) {
    test::CastRecorder recorder;
    Channels channels(recorder);
    auto manager = launched(recorder, channels);
    ASSERT_NE(channels.media.loadMedia(media(kEpisode), true, 0), kCastInvalidRequestID);
    ASSERT_TRUE(waitFor(recorder, "loaded"));

    auto answer = client()->Post("/_emulator/cast", R"({"error": {"errorCode": "ST2002", "userMessage": "Pay"}})",
                                 "application/json");
    ASSERT_TRUE(answer);
    ASSERT_EQ(answer->status, 200);
    ASSERT_TRUE(waitFor(recorder, std::string("text ") + App::kErrorNamespace + R"( {"errorCode":"ST2002")"));
    ASSERT_TRUE(waitFor(recorder, "status IDLE 4"));
    EXPECT_TRUE(controlJson("/_emulator/sessions")[kAnna].is_null() ||
                controlJson("/_emulator/sessions")[kAnna].empty());

    ASSERT_TRUE(channels.teardown.sendTextMessage("disconnect"));
    ASSERT_TRUE(waitFor(recorder, "application disconnected 21"));
    EXPECT_TRUE(controlJson("/_emulator/cast")["application"].is_null());
    EXPECT_EQ(manager->connectionState(), CastConnectionState::Connected) << "the receiver connection stays";
}

TEST_F(CastSenderTest, AReceiverThatBreaksTheProtocolIsDisconnectedCleanly) {
    auto inject = [&](const std::string& fault) {
        auto answer = client()->Post("/_emulator/cast", Json{{"inject", fault}}.dump(), "application/json");
        ASSERT_TRUE(answer);
        ASSERT_EQ(answer->status, 200);
    };
    const std::pair<const char*, const char*> cases[] = {
        {"oversizedFrame", "disconnected 1"}, {"garbledFrame", "disconnected 1"}, {"close", "disconnected 1"},
        {"malformedJson", "disconnected 3"},  {"wrongShape", "disconnected 3"},
    };
    for (const auto& [fault, expected] : cases) {
        SCOPED_TRACE(fault);
        test::CastRecorder recorder;
        auto manager = connected(recorder);
        inject(fault);
        ASSERT_TRUE(waitFor(recorder, "disconnected"));
        EXPECT_EQ(recorder.last("disconnected"), expected);
        EXPECT_EQ(manager->connectionState(), CastConnectionState::Disconnected);
        EXPECT_EQ(recorder.count("disconnected"), 1u);
    }

    // A message on a namespace nobody listens on is ignored.
    test::CastRecorder recorder;
    auto manager = connected(recorder);
    inject("unknownNamespace");
    ASSERT_TRUE(manager->setVolume(0.4f));
    ASSERT_TRUE(waitFor(recorder, "volume 40"));
    EXPECT_FALSE(recorder.saw("disconnected"));
}

// The cast manager drops its device manager when the application goes away; the device manager must not
// touch itself after such a report.
TEST_F(CastSenderTest, ADelegateMayDestroyTheManagerInsideAReport) {
    struct Dropping : test::CastRecorder {
        void deviceManagerDidReceiveApplicationMetadata(CastDeviceManager&, const CastApplicationMetadata&) override {
            events.push_back("metadata");
            manager.reset();
        }
        std::unique_ptr<CastV2DeviceManager> manager;
    } recorder;
    recorder.manager = connected(recorder);
    ASSERT_TRUE(recorder.manager->launchApplication(kApplicationId, /*relaunchIfRunning=*/false));
    ASSERT_TRUE(waitFor(recorder, "metadata"));
    EXPECT_FALSE(recorder.manager);
    EXPECT_FALSE(recorder.saw("application launched")) << "nothing is reported by a manager that is gone";
}

// Senders come, join, talk and vanish (some without a goodbye) while another one's title plays and the
// receiver's ticker moves it on: the receiver keeps serving and counts its connections right.
using CastSenderConcurrencyTest = CastSenderTest;

TEST_F(CastSenderConcurrencyTest, SendersComeAndGoWhileTheReceiverPlays) {
    struct Sender {
        test::CastRecorder recorder;
        Channels channels{recorder};
        std::unique_ptr<CastV2DeviceManager> manager;
    };
    Sender host;
    host.manager = launched(host.recorder, host.channels);
    ASSERT_NE(host.channels.media.loadMedia(media(kEpisode), true, 0), kCastInvalidRequestID);
    ASSERT_TRUE(waitFor(host.recorder, "loaded"));

    std::vector<std::unique_ptr<Sender>> guests;
    for (int i = 0; i < 4; ++i) {
        auto guest = std::make_unique<Sender>();
        guest->manager = connected(guest->recorder);
        ASSERT_TRUE(guest->manager->joinApplication(kApplicationId, host.recorder.sessionID));
        guests.push_back(std::move(guest));
    }
    for (auto& guest : guests) {
        ASSERT_TRUE(waitFor(guest->recorder, "application joined"));
        attach(*guest->manager, guest->channels);
        guest->channels.media.requestStatus();
    }
    for (int i = 0; i < 10; ++i) {
        (i % 2 ? host.channels.media.play() : host.channels.media.pause());
        if (i == 3) guests[0].reset();  // gone without a goodbye
        if (i == 6) guests[1]->manager->disconnect();
    }
    ASSERT_TRUE(waitFor(host.recorder, "status PLAYING", 6));
    for (std::size_t i = 2; i < guests.size(); ++i)
        EXPECT_TRUE(waitFor(guests[i]->recorder, "status ")) << "guest " << i << " sees the shared status";
    guests.clear();
    ASSERT_TRUE(platform_.runUntil([&] { return controlJson("/_emulator/cast")["connections"] == 1; }, 10))
        << controlJson("/_emulator/cast").dump();
    EXPECT_EQ(host.manager->connectionState(), CastConnectionState::Connected);
}

}  // namespace movra::backend
