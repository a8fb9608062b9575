// Cast discovery against the emulator's DNS-SD responder and receiver on loopback (never multicast), and
// `movra cast devices`.
#include "EmulatorTest.h"
#include "Platform/CastSdk.h"
#include "Platform/CastV2DeviceScanner.h"
#include "support/ChildProcess.h"
#include "support/TestPlatform.h"

#include <fstream>

namespace movra::backend {

namespace {

/// The receiver application the emulator's receiver runs.
const std::string kReceiverApplication = BackendServer::Options().castApplicationId;

struct DiscoveryListener : CastDeviceScannerListener {
    void deviceDidComeOnline(const CastDevice& device) override { online.push_back(device); }
    void deviceDidGoOffline(const CastDevice& device) override { offline.push_back(device); }
    std::vector<CastDevice> online, offline;
};

}  // namespace

class CastDiscoveryTest : public EmulatorTest {
  protected:
    void SetUp() override {
        BackendServer::Options options;
        options.castReceiverName = "Living Room TV";
        start(options);
    }

    std::unique_ptr<test::TestPlatform> platformWith(std::string discoveryAddress, std::vector<std::string> devices) {
        test::TestPlatform::Options options;
        options.configuration.castDiscoveryAddress = std::move(discoveryAddress);
        options.configuration.castDevices = std::move(devices);
        return std::make_unique<test::TestPlatform>(options);
    }
};

TEST_F(CastDiscoveryTest, FindsTheReceiverAndLosesItWhenItStopsAnswering) {
    auto platform = platformWith(server_->castDiscovery()->address(), {});
    auto scanner = platform->platform().castSdk().makeDeviceScanner(
        CastDeviceScanner::FilterCriteria::forAvailableApplication(kReceiverApplication));
    DiscoveryListener listener;
    scanner->addListener(&listener);
    scanner->startScan();
    ASSERT_TRUE(platform->runUntil([&] { return !listener.online.empty(); }));
    const CastDevice& found = listener.online.front();
    EXPECT_EQ(found.friendlyName, "Living Room TV");
    EXPECT_EQ(found.modelName, "Movra Cast Emulator");
    EXPECT_EQ(found.deviceID, server_->castReceiver()->deviceId());
    EXPECT_EQ(found.servicePort, server_->castReceiver()->port());
    EXPECT_TRUE(found.applicationAvailable);
    ASSERT_EQ(scanner->devices().size(), 1u);

    server_.reset();
    for (int round = 0; round <= CastV2DeviceScanner::kOfflineAfterQueries && listener.offline.empty(); ++round)
        platform->advance(CastV2DeviceScanner::kQueryInterval);
    ASSERT_EQ(listener.offline.size(), 1u);
    EXPECT_TRUE(scanner->devices().empty());
    scanner->removeListener(&listener);
}

TEST_F(CastDiscoveryTest, ListsConfiguredReceiversWithTheApplicationsAvailability) {
    // Discovery answers nothing here; the configuration names the receiver.
    const std::string address = "127.0.0.1:" + std::to_string(server_->castReceiver()->port());
    auto platform = platformWith("127.0.0.1:9", {address});
    auto& sdk = platform->platform().castSdk();
    for (const auto& [applicationId, available] :
         {std::pair{kReceiverApplication, true}, std::pair{std::string("0000BEEF"), false}}) {
        SCOPED_TRACE(applicationId);
        auto scanner = sdk.makeDeviceScanner(CastDeviceScanner::FilterCriteria::reportingApplication(applicationId));
        scanner->startScan();
        ASSERT_TRUE(platform->runUntil([&] { return !scanner->devices().empty(); }));
        EXPECT_EQ(scanner->devices().front().address(), address);
        EXPECT_EQ(scanner->devices().front().applicationAvailable, available);
    }
}

TEST_F(CastDiscoveryTest, MovraCastDevicesListsTheReceiver) {
    test::TemporaryDirectory home;
    std::ofstream(home.file("config.json")) << Json{{"castDiscoveryAddress", server_->castDiscovery()->address()}};
    auto outcome =
        test::ChildProcess({{MOVRA_CLI, "--data-dir", home.path(), "--json", "cast", "devices", "--wait", "1"},
                            {},
                            {"XDG_DATA_HOME"},
                            {}})
            .finish(60);
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    const Json listing = Json::parse(outcome.out, nullptr, /*allow_exceptions=*/false);
    ASSERT_EQ(listing["devices"].size(), 1u) << outcome.out;
    EXPECT_EQ(listing["devices"][0]["name"], "Living Room TV");
    EXPECT_EQ(listing["devices"][0]["model"], "Movra Cast Emulator");
    EXPECT_EQ(listing["devices"][0]["applicationAvailable"], true);
}

}  // namespace movra::backend
