// The fault switches and scripted messages of the CastSdk test double, which the cast manager's tests drive
// (what it shares with the real library is checked against the emulator in CastSdkContractTest).
#include "Platform/CastMediaControlChannel.h"
#include "support/CastRecorder.h"
#include "support/ScriptedCastSdk.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra::test {
namespace {

constexpr const char* kApplication = "4F8A21C7";
constexpr const char* kSubtitles = "urn:x-cast:com.movratavik.subtitles";

CastDevice device(const std::string& id) {
    CastDevice device;
    device.deviceID = id;
    return device;
}

struct Listener : CastDeviceScannerListener {
    void deviceDidComeOnline(const CastDevice& device) override { events.push_back("online " + device.deviceID); }
    void deviceDidGoOffline(const CastDevice& device) override { events.push_back("offline " + device.deviceID); }
    std::vector<std::string> events;
};

class ScriptedCastSdkTest : public ::testing::Test {
  protected:
    ScriptedCastSdkTest() : platform_(options()) {}
    TestPlatform::Options options() {
        sdk_ = std::make_shared<ScriptedCastSdk>();
        TestPlatform::Options options;
        options.castSdk = sdk_;
        return options;
    }

    /// A sender connected to the application on `receiver`, with a media and a subtitles channel.
    struct Sender {
        CastRecorder recorder;
        CastMediaControlChannel media;
        CastRecorder::TextChannel subtitles{kSubtitles, recorder};
        std::unique_ptr<CastDeviceManager> manager;
    };
    void connect(Sender& sender, const CastDevice& device) {
        sender.manager = platform_.platform().castSdk().makeDeviceManager(device, "test");
        sender.manager->setDelegate(&sender.recorder);
        sender.media.setDelegate(&sender.recorder);
        sender.manager->addChannel(sender.media);
        sender.manager->addChannel(sender.subtitles);
        sender.manager->connect();
        platform_.main().runPending();
        ASSERT_TRUE(sender.manager->launchApplication(kApplication, false));
        platform_.main().runPending();
    }

    std::shared_ptr<ScriptedCastSdk> sdk_;
    TestPlatform platform_;
};

TEST_F(ScriptedCastSdkTest, ScriptedMessagesAndFaultsReachTheSenders) {
    auto receiver = sdk_->addReceiver(device("tv"), {kApplication});
    receiver->onText(kSubtitles, [&](const std::string& text) {
        if (text == "hello") receiver->sendText(kSubtitles, "ready");
    });
    Sender first, second;
    connect(first, receiver->device());
    connect(second, receiver->device());
    EXPECT_EQ(first.recorder.last("application"), "application launched 4F8A21C7");
    EXPECT_EQ(second.recorder.last("application"), "application joined 4F8A21C7");

    ASSERT_TRUE(first.subtitles.sendTextMessage("hello"));
    platform_.main().runPending();
    EXPECT_EQ(receiver->received().back(), std::make_pair(std::string(kSubtitles), std::string("hello")));
    EXPECT_TRUE(first.recorder.saw(std::string("text ") + kSubtitles + " ready"));
    EXPECT_TRUE(second.recorder.saw(std::string("text ") + kSubtitles + " ready")) << "every sender hears it";

    receiver->failNextLoad("BAD_TOKEN");
    first.media.loadMedia(CastMediaInformation("id", CastMediaStreamType::Buffered, "text/xml", {}, 40, {}), true, 0);
    platform_.main().runPending();
    EXPECT_EQ(first.recorder.last("load failed"), "load failed BAD_TOKEN");
    first.media.loadMedia(CastMediaInformation("id", CastMediaStreamType::Buffered, "text/xml", {}, 40, {}), true, 0);
    platform_.main().runPending();
    platform_.advance(5);
    EXPECT_DOUBLE_EQ(receiver->position(), 5) << "plays in the platform clock's time";
    receiver->finishMedia();
    platform_.main().runPending();
    EXPECT_TRUE(second.recorder.last("status ").starts_with("status IDLE 1 40")) << second.recorder.last("status ");

    receiver->freeze();
    platform_.main().runPending();
    EXPECT_EQ(first.recorder.last("disconnected"), "disconnected 2");
    EXPECT_EQ(first.manager->connectionState(), CastConnectionState::Disconnected);
}

TEST_F(ScriptedCastSdkTest, ReceiversComeAndGoAndAGoneOneCannotBeReached) {
    auto scanner = platform_.platform().castSdk().makeDeviceScanner(
        CastDeviceScanner::FilterCriteria::forAvailableApplication(kApplication));
    Listener listener;
    scanner->addListener(&listener);
    scanner->startScan();
    sdk_->addReceiver(device("speaker"), {});
    auto tv = sdk_->addReceiver(device("tv"), {kApplication});
    platform_.main().runPending();
    EXPECT_EQ(listener.events, std::vector<std::string>{"online tv"}) << "the filter leaves out the speaker";

    Sender sender;
    connect(sender, tv->device());
    sdk_->removeReceiver("tv");
    platform_.main().runPending();
    EXPECT_EQ(listener.events.back(), "offline tv");
    EXPECT_TRUE(scanner->devices().empty());
    EXPECT_EQ(sender.recorder.last("disconnected"), "disconnected 1");
    sender.manager->connect();
    platform_.main().runPending();
    EXPECT_EQ(sender.recorder.last("failed to connect"), "failed to connect 1");
}

}  // namespace
}  // namespace movra::test
