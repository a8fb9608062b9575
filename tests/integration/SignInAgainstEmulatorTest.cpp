// The real client signing in through its sign-in screen against the service emulator, then returning to
// the foreground in another region; and a revoked token sending the subscriber back to sign in.
#include "API/MVHTTPClient.h"
#include "App/MVAppDelegate.h"
#include "App/MVDiscriminator.h"
#include "App/SecurityManager.h"
#include "Model/MVSharedSearchCache.h"
#include "Platform/CurlHttpTransport.h"
#include "Root/MVNavigationController.h"
#include "Root/MVStackViewController.h"
#include "Sections/SignIn/MVLoginViewController.h"
#include "movra-backend/BackendServer.h"
#include "support/TemporaryDirectory.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

constexpr const char* kUser = "anna.lindqvist@tavik.example";
constexpr const char* kPassword = "Anna-tavik-1";

class SignInAgainstEmulatorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        backend::BackendServer::Options options;
        options.dataDir = directory_.path() + "/emulator";
        server_ = std::make_unique<backend::BackendServer>(options);
        ASSERT_EQ(server_->start(), std::nullopt);

        test::TestPlatform::Options client;
        client.realClock = true;
        HttpTransportOptions transport{.caFile = server_->caFile()};
        client.transportFactory = [transport] { return std::make_shared<CurlHttpTransport>(transport); };
        client.configuration.dataDirectory = directory_.path() + "/client";
        client.configuration.discriminatorHost = server_->baseHost();
        client.analyticsCollectorUrl = "https://" + server_->baseHost();
        env_ = std::make_unique<test::TestPlatform>(client);
        app_ = std::make_shared<MVAppDelegate>();
        MVAppDelegate::setSharedAppDelegate(app_);
        logIns_ = std::make_unique<ScopedObserver>(
            env_->platform().notificationCenter(),
            env_->platform().notificationCenter().addObserver(MVNotificationLogIn, [this](const Notification&) {
                ++logInCount_;
            }));
    }

    void TearDown() override {
        logIns_.reset();
        app_.reset();
        MVAppDelegate::setSharedAppDelegate(nullptr);
        env_.reset();
        server_->stop();
    }

    bool mainScreensShown() const {
        auto w = app_->window();
        return w && w->isKeyWindow() && std::dynamic_pointer_cast<MVStackViewController>(w->rootViewController());
    }

    /// Launches and signs in through the sign-in window's screen.
    void launchAndSignIn() {
        app_->applicationDidFinishLaunchingWithOptions(std::nullopt);
        app_->applicationDidBecomeActive();
        ASSERT_TRUE(env_->runUntil([&] { return app_->loginWindow() && app_->loginWindow()->isKeyWindow(); }, 20));
        auto navigation = std::dynamic_pointer_cast<MVNavigationController>(app_->loginWindow()->rootViewController());
        ASSERT_TRUE(navigation);
        auto screen = std::dynamic_pointer_cast<MVLoginViewController>(navigation->topViewController());
        ASSERT_TRUE(screen);
        screen->signIn(kUser, kPassword);
        ASSERT_TRUE(env_->runUntil([&] { return mainScreensShown() && !app_->loginWindow(); }, 20))
            << screen->failureMessage();
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

TEST_F(SignInAgainstEmulatorTest, ForegroundInAnotherRegionClearsCachesReportsAndRoutesAgain) {
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
    // The account read for the home tenant went out in the new tenant's language, with the old sign-in.
    auto account = server_->requestLog().entries().back();
    EXPECT_EQ(account.path, "/stoffice/client/account");
    EXPECT_EQ(account.queryValue("language"), "sv_movrasolara");

    ASSERT_TRUE(env_->collectorTracker->flush(20));
    // The first answer after the installation counted as a change too (to Tavik).
    auto changes = hitsWithAction("SignIn_RegionChange");
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].value("el", ""), "Tavik");
    changes.erase(changes.begin());
    EXPECT_EQ(changes[0].value("ec", ""), "SignIn");
    EXPECT_EQ(changes[0].value("el", ""), "Spain");
    EXPECT_EQ(changes[0].value("sc", ""), "start");
    EXPECT_EQ(changes[0].value("cd2", ""), "Spain");
    EXPECT_EQ(changes[0].value("uid", ""), "100200301");

    // Back in the same region nothing is routed again.
    const int logInsAfter = logInCount_;
    app_->applicationWillEnterForeground();
    bool checked = false;
    MVHTTPClient::sharedClient()->checkErrorStatusWithCompletion([&](ErrorPtr, XMLDocumentPtr) { checked = true; });
    ASSERT_TRUE(env_->runUntil([&] { return checked; }, 20));
    env_->runUntil([] { return false; }, 0.5);
    EXPECT_EQ(logInCount_, logInsAfter);
}

TEST_F(SignInAgainstEmulatorTest, RevokedTokenSendsTheSubscriberBackToSignIn) {
    launchAndSignIn();
    ASSERT_TRUE(SecurityManager::isUserAuthenticated());
    const auto deviceId = MVHTTPClient::sharedClient()->deviceId();
    ASSERT_EQ(server_->accounts().revokeAccount(kUser), 1);

    bool done = false;
    MVHTTPClient::sharedClient()->getAccountWithCompletion([&](ErrorPtr, std::shared_ptr<MVAccount>) { done = true; });
    ASSERT_TRUE(env_->runUntil([&] { return done && app_->loginWindow() != nullptr; }, 20));
    EXPECT_FALSE(SecurityManager::isUserAuthenticated());
    EXPECT_FALSE(env_->credentials->password(SecurityManager::kPasswordServiceName, SecurityManager::kUserNameAccountName));
    EXPECT_EQ(MVHTTPClient::sharedClient()->deviceId(), deviceId);
    auto alert = env_->ui->lastAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->message(), "Your subscription could not be authenticated for playback. Please sign in again.");
}

}  // namespace
}  // namespace movra
