// What the cast manager relies on from the cast library, run against both of its implementations: the
// protocol v2 sender with discovery against the emulator's receiver on loopback, and the scripted test double
// the unit tests use. The double is only as good as its agreement with the real thing.
#include "EmulatorTest.h"
#include "Platform/CastMediaControlChannel.h"
#include "Platform/CastSdk.h"
#include "movra-backend/CastReceiverApplication.h"
#include "support/CastRecorder.h"
#include "support/ScriptedCastSdk.h"
#include "support/TestPlatform.h"

namespace movra::backend::sdk_contract {
namespace {

constexpr const char* kEpisode = "series-coastline-s1e01";
const std::string kApplicationId = BackendServer::Options().castApplicationId;

struct Listener : CastDeviceScannerListener {
    void deviceDidComeOnline(const CastDevice& device) override { online.push_back(device); }
    void deviceDidGoOffline(const CastDevice& device) override { offline.push_back(device); }
    std::vector<CastDevice> online, offline;
};

class CastSdkContractTest : public EmulatorTest, public ::testing::WithParamInterface<bool> {
  protected:
    bool scripted() const { return GetParam(); }

    void SetUp() override {
        test::TestPlatform::Options options;
        if (scripted()) {
            sdk_ = std::make_shared<test::ScriptedCastSdk>();
            options.castSdk = sdk_;
            platform_ = std::make_unique<test::TestPlatform>(options);
            sdk_->addReceiver({.deviceID = "living-room",
                               .friendlyName = "Living Room TV",
                               .modelName = "Scripted",
                               .ipAddress = "127.0.0.1"},
                              {kApplicationId});
            token_ = "scripted-token";
        } else {
            BackendServer::Options emulator;
            emulator.castReceiverName = "Living Room TV";
            start(emulator);
            options.configuration.castDiscoveryAddress = server_->castDiscovery()->address();
            platform_ = std::make_unique<test::TestPlatform>(options);
            token_ = tokenFor(kAnna, kAnnasPassword);
        }
    }

    CastSdk& sdk() { return platform_->platform().castSdk(); }

    bool waitFor(const test::CastRecorder& recorder, const std::string& prefix, std::size_t times = 1) {
        const bool seen = platform_->runUntil([&] { return recorder.count(prefix) >= times; }, 10);
        EXPECT_TRUE(seen) << "no \"" << prefix << "\" in " << testing::PrintToString(recorder.events);
        return seen;
    }

    /// The receiver as discovery finds it.
    CastDevice discovered() {
        auto scanner =
            sdk().makeDeviceScanner(CastDeviceScanner::FilterCriteria::forAvailableApplication(kApplicationId));
        Listener listener;
        scanner->addListener(&listener);
        scanner->startScan();
        EXPECT_TRUE(platform_->runUntil([&] { return !listener.online.empty(); }));
        scanner->removeListener(&listener);
        return listener.online.empty() ? CastDevice{} : listener.online.front();
    }

    std::unique_ptr<CastDeviceManager> connected(const CastDevice& device, test::CastRecorder& recorder) {
        auto manager = sdk().makeDeviceManager(device, "com.movratavik.test");
        manager->setDelegate(&recorder);
        manager->connect();
        EXPECT_EQ(manager->connectionState(), CastConnectionState::Connecting);
        waitFor(recorder, "connected");
        return manager;
    }

    CastMediaInformation media() const {
        const Json custom = {{"deviceId", kDeviceId},        {"deviceToken", token_},
                             {"assetId", kEpisode},          {"language", "sv"},
                             {"subtitleLanguage", ""},       {"audioTrack", ""},
                             {"item", {{"guid", kEpisode}}}, {"convivaMetadata", Json::object()}};
        return CastMediaInformation("https://127.0.0.1/cast/" + std::string(kEpisode), CastMediaStreamType::Buffered,
                                    "text/xml", {}, 0, custom);
    }

    std::shared_ptr<test::ScriptedCastSdk> sdk_;
    std::unique_ptr<test::TestPlatform> platform_;
    std::string token_;
};

TEST_P(CastSdkContractTest, FindsLaunchesLoadsControlsAndLeaves) {
    const CastDevice device = discovered();
    EXPECT_EQ(device.friendlyName, "Living Room TV");
    EXPECT_TRUE(device.applicationAvailable);

    test::CastRecorder recorder;
    auto manager = connected(device, recorder);
    ASSERT_EQ(manager->connectionState(), CastConnectionState::Connected);
    CastMediaControlChannel channel;
    channel.setDelegate(&recorder);
    ASSERT_TRUE(manager->launchApplication(kApplicationId, /*relaunchIfRunning=*/false));
    EXPECT_FALSE(manager->launchApplication(kApplicationId, false)) << "one application request at a time";
    ASSERT_TRUE(waitFor(recorder, "application launched " + kApplicationId));
    EXPECT_EQ(manager->applicationConnectionState(), CastConnectionState::Connected);
    ASSERT_TRUE(manager->addChannel(channel));

    ASSERT_NE(channel.loadMedia(media(), /*autoplay=*/true, 2), kCastInvalidRequestID);
    ASSERT_TRUE(waitFor(recorder, "loaded "));
    EXPECT_TRUE(recorder.last("status ").starts_with("status PLAYING 0 2 " + std::string(kEpisode)))
        << recorder.last("status ");
    ASSERT_NE(channel.pause(), kCastInvalidRequestID);
    ASSERT_TRUE(waitFor(recorder, "status PAUSED"));
    ASSERT_NE(channel.seekToTimeInterval(10), kCastInvalidRequestID);
    ASSERT_TRUE(waitFor(recorder, "status PAUSED 0 10 "));
    EXPECT_DOUBLE_EQ(channel.approximateStreamPosition(), 10);
    ASSERT_NE(channel.stop(), kCastInvalidRequestID);
    ASSERT_TRUE(waitFor(recorder, "status IDLE 2"));
    const auto refused = channel.pause();
    ASSERT_TRUE(waitFor(recorder, "request failed"));
    EXPECT_EQ(recorder.last("request failed"), "request failed " + std::to_string(refused) + " 4");

    ASSERT_TRUE(manager->setVolume(0.25f));
    ASSERT_TRUE(waitFor(recorder, "volume 25"));
    EXPECT_FLOAT_EQ(manager->deviceVolume(), 0.25f);

    ASSERT_TRUE(manager->leaveApplication());
    EXPECT_EQ(manager->applicationConnectionState(), CastConnectionState::Disconnected);
    ASSERT_TRUE(waitFor(recorder, "application disconnected none"));
    EXPECT_FALSE(channel.isConnected());
    manager->disconnect();
    ASSERT_TRUE(waitFor(recorder, "disconnected none"));
    EXPECT_TRUE(manager->removeChannel(channel));
}

TEST_P(CastSdkContractTest, JoinsTheRunningSessionAndNotAStoppedOrUnknownOne) {
    const CastDevice device = discovered();
    test::CastRecorder first, second, third;
    auto launcher = connected(device, first);
    ASSERT_TRUE(launcher->launchApplication(kApplicationId, false));
    ASSERT_TRUE(waitFor(first, "application launched"));

    auto joiner = connected(device, second);
    ASSERT_TRUE(joiner->joinApplication(kApplicationId, first.sessionID));
    ASSERT_TRUE(waitFor(second, "application joined " + kApplicationId));
    EXPECT_EQ(second.sessionID, first.sessionID);
    // Launching without relaunch joins the running session too.
    test::CastRecorder relauncher;
    auto another = connected(device, relauncher);
    ASSERT_TRUE(another->launchApplication(kApplicationId, /*relaunchIfRunning=*/false));
    ASSERT_TRUE(waitFor(relauncher, "application joined"));
    EXPECT_EQ(relauncher.sessionID, first.sessionID);

    ASSERT_TRUE(launcher->stopApplication());
    ASSERT_TRUE(waitFor(first, "application disconnected none"));
    ASSERT_TRUE(waitFor(second, "application disconnected 21")) << "the other sender learns the session ended";

    auto late = connected(device, third);
    ASSERT_TRUE(late->joinApplication(kApplicationId, first.sessionID));
    ASSERT_TRUE(waitFor(third, "application failed"));
    EXPECT_EQ(third.last("application failed"), "application failed 21");
    EXPECT_EQ(late->applicationConnectionState(), CastConnectionState::Disconnected);
    ASSERT_TRUE(late->launchApplication("0000BEEF", false));
    ASSERT_TRUE(waitFor(third, "application failed", 2));
    EXPECT_EQ(third.last("application failed"), "application failed 7");
}

INSTANTIATE_TEST_SUITE_P(Implementations, CastSdkContractTest, ::testing::Values(false, true),
                         [](const auto& test) { return test.param ? "Scripted" : "ProtocolV2"; });

}  // namespace
}  // namespace movra::backend::sdk_contract
