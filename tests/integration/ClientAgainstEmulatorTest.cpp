// The real client (libcurl over TLS) against the service emulator on loopback: launching, the region and
// maintenance screens, signing in through the sign-in screen, returning to the foreground in another region,
// and a revoked token sending the subscriber back to sign in. (An untrusted certificate is the transport
// test's; the alert a failed region check shows, MVAppDelegateTests'.)
#include "API/MVHTTPClient.h"
#include "App/MVAppDelegate.h"
#include "App/MVDiscriminator.h"
#include "Model/MVChannel.h"
#include "Model/MVCoreDataService.h"
#include "Model/MVSharedSearchCache.h"
#include "Model/ProfileManager.h"
#include "Platform/CurlHttpTransport.h"
#include "Root/MVFullScreenErrorViewController.h"
#include "Root/MVGeoBlockViewController.h"
#include "Root/MVNavigationController.h"
#include "Root/MVStackViewController.h"
#include "Sections/SignIn/MVLoginViewController.h"
#include "Utilities/SecurityManager.h"
#include "movra-backend/BackendServer.h"
#include "support/TemporaryDirectory.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace movra {
namespace {

constexpr const char* kUser = "anna.lindqvist@tavik.example";
constexpr const char* kPassword = "Anna-tavik-1";
// Goes out escaped in the sign-in body; the emulator must read it back intact.
constexpr const char* kDeviceName = "Kim's <Phone> & \"Pad\"";

class ClientAgainstEmulatorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        backend::BackendServer::Options options;
        options.dataDir = directory_.path() + "/emulator";
        server_ = std::make_unique<backend::BackendServer>(options);
        ASSERT_EQ(server_->start(), std::nullopt);
    }

    void TearDown() override {
        logIns_.reset();
        app_.reset();
        if (env_) MVAppDelegate::setSharedAppDelegate(nullptr);
        env_.reset();
        server_->stop();
    }

    /// Installs the client, trusting the emulator's CA; with `collectAnalytics` its hits go to the emulator's
    /// collector.
    void installClient(bool collectAnalytics = false) {
        test::TestPlatform::Options options;
        options.realClock = true;
        HttpTransportOptions transport;
        transport.caFile = server_->caFile();
        options.transportFactory = [transport] { return std::make_shared<CurlHttpTransport>(transport); };
        options.configuration.dataDirectory = directory_.path() + "/client";
        options.configuration.discriminatorHost = server_->baseHost();
        options.configuration.defaultApiHost = server_->baseHost();
        if (collectAnalytics) options.analyticsCollectorUrl = "https://" + server_->baseHost();
        env_ = std::make_unique<test::TestPlatform>(options);
        app_ = std::make_shared<MVAppDelegate>();
        MVAppDelegate::setSharedAppDelegate(app_);
        auto& center = env_->platform().notificationCenter();
        logIns_ = std::make_unique<ScopedObserver>(
            center, center.addObserver(MVNotificationLogIn, [this](const Notification&) { ++logInCount_; }));
    }

    void launch() {
        app_->applicationDidFinishLaunchingWithOptions(std::nullopt);
        app_->applicationDidBecomeActive();
    }

    bool signInShown() const {
        auto w = app_->loginWindow();
        return w && w->isKeyWindow() && w->isVisible();
    }

    bool mainScreensShown() const {
        auto w = app_->window();
        return w && w->isKeyWindow() && std::dynamic_pointer_cast<MVStackViewController>(w->rootViewController());
    }

    /// Installs, launches and signs in through the sign-in window's screen.
    void launchAndSignIn() {
        installClient(/*collectAnalytics=*/true);
        env_->device->name_ = kDeviceName;
        launch();
        ASSERT_TRUE(env_->runUntil([&] { return app_->loginWindow() && app_->loginWindow()->isKeyWindow(); }, 20));
        auto navigation = std::dynamic_pointer_cast<MVNavigationController>(app_->loginWindow()->rootViewController());
        ASSERT_TRUE(navigation);
        auto screen = std::dynamic_pointer_cast<MVLoginViewController>(navigation->topViewController());
        ASSERT_TRUE(screen);
        env_->defaults->setObject(ProfileManager::kHasFinishedProfileSelectionKey, true);
        ProfileManager::setActiveProfile(ProfileTypeKids);
        ProfileManager::setLaunchProfile(ProfileTypeKids);
        env_->await<ErrorPtr>([](auto done) {
            MVCoreDataService::registered()->saveInBackground(
                [](StoreContext& context) -> ErrorPtr {
                    MVChannel marker;
                    marker.setChannelID("MARK");
                    marker.setGuid("MARK");
                    return context.saveChannel(marker);
                },
                done);
        });
        screen->signIn(kUser, kPassword);
        ASSERT_TRUE(env_->runUntil([&] { return mainScreensShown() && !app_->loginWindow(); }, 20))
            << screen->failureMessage();
        // The subscriber starts afresh: profiles to choose again, a store of their own, no alert.
        EXPECT_FALSE(env_->defaults->object(ProfileManager::kHasFinishedProfileSelectionKey));
        EXPECT_EQ(ProfileManager::activeProfile(), ProfileTypeNone);
        EXPECT_EQ(ProfileManager::launchProfile(), ProfileTypeNone);
        EXPECT_FALSE(MVCoreDataService::registered()->mainContext()->fetchChannel("MARK"));
        EXPECT_TRUE(env_->ui->visibleAlerts().empty());
    }

    std::tuple<ErrorPtr, XMLDocumentPtr> checkErrorStatus() {
        return env_->await<ErrorPtr, XMLDocumentPtr>(
            [](auto done) { MVHTTPClient::sharedClient()->checkErrorStatusWithCompletion(done); }, 20);
    }

    std::vector<Json> hitsWithAction(const std::string& action) {
        std::vector<Json> found;
        for (const auto& hit : server_->collector().hits())
            if (hit.value("ea", "") == action) found.push_back(hit);
        return found;
    }

    test::TemporaryDirectory directory_;
    std::unique_ptr<backend::BackendServer> server_;
    std::unique_ptr<test::TestPlatform> env_;
    std::shared_ptr<MVAppDelegate> app_;
    std::unique_ptr<ScopedObserver> logIns_;
    int logInCount_ = 0;
};

TEST_F(ClientAgainstEmulatorTest, FreshInstallationEndsAtTheSignInWindowOfTheAnsweredTenant) {
    installClient();
    launch();
    ASSERT_TRUE(env_->runUntil([&] { return signInShown(); }, 20));
    auto discriminator = MVDiscriminator::sharedDiscriminator();
    ASSERT_TRUE(discriminator);
    EXPECT_EQ(discriminator->currentTenant(), MVRegionTenantTavik);
    EXPECT_EQ(discriminator->url(), server_->baseHost());
    EXPECT_FALSE(app_->fullScreenErrorWindow());

    // The shared client talks to the emulator, which refuses requests without its headers and tenant language.
    auto [statusError, statusAnswer] = checkErrorStatus();
    EXPECT_FALSE(statusError) << (statusError ? statusError->summary() : "");
    EXPECT_TRUE(statusAnswer);
}

TEST_F(ClientAgainstEmulatorTest, GeoBlockedRegionShowsTheGeoBlockScreen) {
    server_->faults().setGeoBlocked(true);
    installClient();
    launch();
    ASSERT_TRUE(env_->runUntil([&] { return app_->fullScreenErrorWindow() != nullptr; }, 20));
    EXPECT_TRUE(
        std::dynamic_pointer_cast<MVGeoBlockViewController>(app_->fullScreenErrorWindow()->rootViewController()));
    // The forced check still routes: the sign-in window waits behind the error.
    EXPECT_TRUE(env_->runUntil([&] { return app_->loginWindow() != nullptr; }, 20));
    EXPECT_GT(app_->fullScreenErrorWindow()->windowLevel(), app_->loginWindow()->windowLevel());
    // Without a tenant the client asks the default host, which is geo-blocked too.
    auto [statusError, statusAnswer] = checkErrorStatus();
    ASSERT_TRUE(statusError);
    EXPECT_EQ(statusError->code, kErrorGeoBlocked);
}

TEST_F(ClientAgainstEmulatorTest, MaintenanceFoundByTheStatusCheckShowsTheMaintenanceScreenUntilItEnds) {
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

TEST_F(ClientAgainstEmulatorTest, ForegroundInAnotherRegionClearsCachesReportsAndRoutesAgain) {
    launchAndSignIn();
    EXPECT_EQ(MVDiscriminator::sharedDiscriminator()->homeTenant(), MVRegionTenantTavik);
    ASSERT_TRUE(env_->collectorTracker->flush(20));
    EXPECT_EQ(hitsWithAction("SignIn_Success").size(), 1u);

    app_->searchCache()->setLastSearchString("jul");
    const int logInsBefore = logInCount_;
    server_->setTenant(backend::Tenant::solara());
    app_->applicationWillResignActive();
    app_->applicationWillEnterForeground();
    ASSERT_TRUE(env_->runUntil([&] { return logInCount_ > logInsBefore && mainScreensShown(); }, 20));

    EXPECT_EQ(MVDiscriminator::sharedDiscriminator()->currentTenant(), MVRegionTenantSolara);
    EXPECT_EQ(env_->defaults->stringForKey("currentTenant"), "Movra Solara");
    EXPECT_EQ(app_->searchCache()->lastSearchString(), "");
    // The account read for the home tenant went out in the new tenant's language, with the old sign-in. (The
    // main screens' own requests come and go meanwhile.)
    const auto log = server_->requestLog().entries();
    auto account = std::find_if(log.rbegin(), log.rend(),
                                [](const auto& entry) { return entry.path == "/stoffice/client/account"; });
    ASSERT_NE(account, log.rend());
    EXPECT_EQ(account->queryValue("language"), "sv_movrasolara");

    ASSERT_TRUE(env_->collectorTracker->flush(20));
    // The first answer after the installation counted as a change too (to Tavik). The hit's dimensions are
    // MVAnalytics' test; a return in the same region is MVAppDelegateTests'.
    auto changes = hitsWithAction("SignIn_RegionChange");
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].value("el", "") + "/" + changes[1].value("el", ""), "Tavik/Spain");
    EXPECT_EQ(changes[1].value("uid", ""), "100200301");
}

TEST_F(ClientAgainstEmulatorTest, RevokedTokenSendsTheSubscriberBackToSignIn) {
    launchAndSignIn();
    ASSERT_TRUE(SecurityManager::isUserAuthenticated());
    const auto deviceId = MVHTTPClient::sharedClient()->deviceId();
    // The emulator registered the device as described, its name escaped on the way and read back intact.
    const Json anna = server_->accounts().toJson()[0];
    ASSERT_EQ(anna.value("userName", ""), kUser);
    ASSERT_EQ(anna["devices"].size(), 1u);
    EXPECT_EQ(anna["devices"][0].value("deviceId", ""), deviceId);
    EXPECT_EQ(anna["devices"][0].value("type", ""), "ios");
    EXPECT_EQ(anna["devices"][0].value("name", ""), kDeviceName);
    ASSERT_EQ(server_->accounts().revokeAccount(kUser), 1);

    env_->await<ErrorPtr, std::shared_ptr<MVAccount>>(
        [](auto done) { MVHTTPClient::sharedClient()->getAccountWithCompletion(done); }, 20);
    ASSERT_TRUE(env_->runUntil([&] { return app_->loginWindow() != nullptr; }, 20));
    EXPECT_FALSE(SecurityManager::isUserAuthenticated());
    EXPECT_FALSE(
        env_->credentials->password(SecurityManager::kPasswordServiceName, SecurityManager::kUserNameAccountName));
    EXPECT_EQ(MVHTTPClient::sharedClient()->deviceId(), deviceId);
    auto alert = env_->ui->lastAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->message(), "Your subscription could not be authenticated for playback. Please sign in again.");
}

}  // namespace
}  // namespace movra
