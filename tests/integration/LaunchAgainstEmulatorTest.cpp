// The real client (libcurl over TLS) launching against the service emulator on loopback.
#include <gtest/gtest.h>

#include <filesystem>

#include "API/MVHTTPClient.h"
#include "App/MVAppDelegate.h"
#include "App/MVDiscriminator.h"
#include "Platform/CurlHttpTransport.h"
#include "Root/MVFullScreenErrorViewController.h"
#include "Root/MVGeoBlockViewController.h"
#include "movra-backend/BackendServer.h"
#include "support/TestPlatform.h"

namespace movra {
namespace {

class LaunchAgainstEmulatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "movra-launch-XXXXXX").string();
        ASSERT_TRUE(mkdtemp(pattern.data()));
        directory_ = pattern;
        backend::BackendServer::Options options;
        options.dataDir = directory_ + "/emulator";
        server_ = std::make_unique<backend::BackendServer>(options);
        ASSERT_EQ(server_->start(), std::nullopt);
    }

    void TearDown() override {
        app_.reset();
        if (env_) MVAppDelegate::setSharedAppDelegate(nullptr);
        env_.reset();
        server_->stop();
        std::error_code ec;
        std::filesystem::remove_all(directory_, ec);
    }

    /// Installs the platform; without `trustEmulator` the emulator's CA is unknown to the client.
    void installClient(bool trustEmulator = true) {
        test::TestPlatform::Options options;
        options.realClock = true;
        HttpTransportOptions transport;
        if (trustEmulator) transport.caFile = server_->caFile();
        options.transportFactory = [transport] { return std::make_shared<CurlHttpTransport>(transport); };
        options.configuration.dataDirectory = directory_ + "/client";
        options.configuration.discriminatorHost = server_->baseHost();
        env_ = std::make_unique<test::TestPlatform>(options);
        app_ = std::make_shared<MVAppDelegate>();
        MVAppDelegate::setSharedAppDelegate(app_);
    }

    void launch() {
        app_->applicationDidFinishLaunchingWithOptions(std::nullopt);
        app_->applicationDidBecomeActive();
    }

    bool signInShown() const {
        auto w = app_->loginWindow();
        return w && w->isKeyWindow() && w->isVisible();
    }

    std::string directory_;
    std::unique_ptr<backend::BackendServer> server_;
    std::unique_ptr<test::TestPlatform> env_;
    std::shared_ptr<MVAppDelegate> app_;
};

TEST_F(LaunchAgainstEmulatorTest, FreshInstallationEndsAtTheSignInWindowOfTheAnsweredTenant) {
    installClient();
    launch();
    ASSERT_TRUE(env_->runUntil([&] { return signInShown(); }, 20));
    auto discriminator = MVDiscriminator::sharedDiscriminator();
    ASSERT_TRUE(discriminator);
    EXPECT_EQ(discriminator->currentTenant(), MVRegionTenantTavik);
    EXPECT_EQ(discriminator->url(), server_->baseHost());
    EXPECT_EQ(env_->defaults->stringForKey("currentTenant"), "Movra Tavik");
    EXPECT_FALSE(app_->fullScreenErrorWindow());

    // The shared client talks to the emulator, which accepts its headers and language.
    bool done = false;
    ErrorPtr statusError;
    XMLDocumentPtr statusAnswer;
    MVHTTPClient::sharedClient()->checkErrorStatusWithCompletion([&](ErrorPtr e, XMLDocumentPtr d) {
        statusError = e;
        statusAnswer = d;
        done = true;
    });
    ASSERT_TRUE(env_->runUntil([&] { return done; }, 20));
    EXPECT_FALSE(statusError) << (statusError ? statusError->summary() : "");
    ASSERT_TRUE(statusAnswer);
    auto browse = server_->requestLog().entries().back();
    EXPECT_EQ(browse.path, "/stoffice/client/ios/browse");
    EXPECT_EQ(browse.queryValue("language"), "sv_mvtk");
    EXPECT_EQ(browse.header("X-Client-Name"), "iOS");
}

TEST_F(LaunchAgainstEmulatorTest, GeoBlockedRegionShowsTheGeoBlockScreen) {
    server_->faults().setGeoBlocked(true);
    installClient();
    launch();
    ASSERT_TRUE(env_->runUntil([&] { return app_->fullScreenErrorWindow() != nullptr; }, 20));
    EXPECT_TRUE(std::dynamic_pointer_cast<MVGeoBlockViewController>(app_->fullScreenErrorWindow()->rootViewController()));
    // The forced check still routes: the sign-in window waits behind the error.
    EXPECT_TRUE(env_->runUntil([&] { return app_->loginWindow() != nullptr; }, 20));
    EXPECT_GT(app_->fullScreenErrorWindow()->windowLevel(), app_->loginWindow()->windowLevel());
}

TEST_F(LaunchAgainstEmulatorTest, UntrustedCertificateIsAnErrorNotASuccess) {
    installClient(/*trustEmulator=*/false);
    launch();
    ASSERT_TRUE(env_->runUntil([&] { return signInShown(); }, 20));
    EXPECT_FALSE(MVDiscriminator::sharedDiscriminator());
    auto alert = env_->ui->lastAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->message(), "A problem has occured and the service may be temporarily unavailable.");
    EXPECT_TRUE(server_->requestLog().entries().empty());
}

TEST_F(LaunchAgainstEmulatorTest, MaintenanceFoundByTheStatusCheckShowsTheMaintenanceScreenUntilItEnds) {
    installClient();
    launch();
    ASSERT_TRUE(env_->runUntil([&] { return signInShown(); }, 20));
    server_->faults().setMaintenance(true);
    app_->applicationDidBecomeActive();
    ASSERT_TRUE(env_->runUntil([&] { return app_->fullScreenErrorWindow() != nullptr; }, 20));
    EXPECT_TRUE(std::dynamic_pointer_cast<MVFullScreenErrorViewController>(
        app_->fullScreenErrorWindow()->rootViewController()));
    server_->faults().setMaintenance(false);
    app_->applicationDidBecomeActive();
    EXPECT_TRUE(env_->runUntil([&] { return app_->fullScreenErrorWindow() == nullptr; }, 20));
}

}  // namespace
}  // namespace movra
