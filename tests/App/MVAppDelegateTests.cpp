// The application core end to end against a scripted network: launch, routing, region checks, sign-out,
// authentication loss and service-wide errors, on virtual time.
#include "API/MVHTTPClient.h"
#include "App/MVAppDelegate.h"
#include "Model/MVChannel.h"
#include "Model/MVCoreDataService.h"
#include "Model/MVSharedSearchCache.h"
#include "Model/ProfileManager.h"
#include "Utilities/SecurityManager.h"
#include "support/SettleBackgroundWork.h"
#include "support/TemporaryDirectory.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

using test::jsonReply;
using test::reply;
using test::ScriptedReply;
using test::TemporaryDirectory;
using test::TestPlatform;
using test::xmlReply;

constexpr const char* kGeneric = "A problem has occured and the service may be temporarily unavailable.";
constexpr const char* kTavik = R"({"url":"https://api.test","cc":["SE"],"name":"MVTK"})";

std::string accountXml(const std::string& country) {
    return "<result><status>success</status><account><country>" + country + "</country></account></result>";
}
std::string errorXml(const std::string& code) {
    return "<result><status>Failure</status><errorCode>" + code + "</errorCode><userMessage>x</userMessage></result>";
}

std::string rootClass(const WindowPtr& window) {
    return window && window->rootViewController() ? window->rootViewController()->className() : "";
}

/// One installed world with an app delegate; the script answers from the reply members.
struct App {
    TemporaryDirectory dir;
    std::unique_ptr<TestPlatform> tp;
    std::shared_ptr<MVAppDelegate> app;
    ScriptedReply discriminator = jsonReply(200, kTavik);
    ScriptedReply account = xmlReply(200, accountXml("SE"));
    // A root menu of one entry: the main screens sign out of an empty one.
    ScriptedReply browse = xmlReply(200,
                                    "<rss xmlns:stravo=\"urn:s\"><channel><guid>ROOT</guid><title>Root</title><item>"
                                    "<guid>films</guid><title>Films</title><stravo:itemType>folder</stravo:itemType>"
                                    "</item></channel></rss>");
    ScriptedReply logout = xmlReply(200, "<result><status>success</status></result>");
    int logIns = 0;
    ScopedObserver logInObserver;

    explicit App(UserInterfaceIdiom idiom = UserInterfaceIdiom::Phone) {
        TestPlatform::Options o;
        o.configuration.dataDirectory = dir.path();
        o.configuration.discriminatorHost = "disc.test";
        o.configuration.defaultApiHost = "default.test";
        tp = std::make_unique<TestPlatform>(o);
        tp->device->idiom_ = idiom;
        tp->network->setScript([this](const HttpRequest& r) {
            if (r.url.starts_with("https://disc.test/")) return discriminator;
            if (r.url.find("/stoffice/client/account") != std::string::npos) return account;
            if (r.url.find("/device/logout") != std::string::npos) return logout;
            if (r.url.find("/browse") != std::string::npos) return browse;
            return ScriptedReply{404, {}, "", nullptr, false};
        });
        auto& center = tp->platform().notificationCenter();
        logInObserver =
            ScopedObserver(center, center.addObserver(MVNotificationLogIn, [this](const Notification&) { ++logIns; }));
        app = std::make_shared<MVAppDelegate>();
        MVAppDelegate::setSharedAppDelegate(app);
    }
    ~App() {
        if (auto window = app->window()) window->setRootViewController(nullptr);
        if (auto store = MVCoreDataService::registered(); store && store->isStackOpen())
            test::settleBackgroundWork(*tp, *store);
        logInObserver.reset();
        MVAppDelegate::setSharedAppDelegate(nullptr);
        app.reset();
        tp.reset();
    }

    /// A signed-in device that has run before in the Tavik tenant with the current language.
    void signedIn() {
        tp->credentials->setPassword("tok", SecurityManager::kPasswordServiceName,
                                     SecurityManager::kDeviceTokenAccountName);
        tp->credentials->setPassword("anna", SecurityManager::kPasswordServiceName,
                                     SecurityManager::kUserNameAccountName);
        hasRunBefore();
    }
    void hasRunBefore() {
        tp->defaults->setObject("CurrentInstall", "YES");
        tp->defaults->setObject("currentTenant", "Movra Tavik");
        tp->defaults->setObject("MVTKLastUserLanguageKey", "sv-SE");
    }
    /// Runs background answers and the main queue until nothing is left to do (no virtual time passes).
    void settle() {
        for (int i = 0; i < 100; ++i) {
            tp->globalQueue->drain();
            if (tp->main().runPending() == 0) return;
        }
    }
    void launch() {
        app->applicationDidFinishLaunchingWithOptions(std::nullopt);
        settle();
    }
    bool showsMainScreens() const { return rootClass(app->window()) == "MVStackViewController"; }
    std::optional<std::string> token() const {
        return tp->credentials->password(SecurityManager::kPasswordServiceName,
                                         SecurityManager::kDeviceTokenAccountName);
    }
    std::vector<HttpRequest> requests(const std::string& part) const {
        std::vector<HttpRequest> out;
        for (auto& r : tp->network->requests())
            if (r.url.find(part) != std::string::npos) out.push_back(r);
        return out;
    }
    std::shared_ptr<AlertController> alert() const { return tp->ui->lastAlert(); }
};

TEST(MVAppDelegate, LaunchRoutesOnStoredCredentials) {
    struct Case {
        const char* name;
        std::optional<std::string> token, user, install;
        bool mainScreens;
    };
    const Case cases[] = {
        {"signed in", "tok", "anna", "YES", true},
        {"empty token", "", "anna", "YES", false},
        {"reinstall", "tok", "anna", std::nullopt, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        App a;
        auto& keychain = *a.tp->credentials;
        if (c.token)
            keychain.setPassword(*c.token, SecurityManager::kPasswordServiceName,
                                 SecurityManager::kDeviceTokenAccountName);
        if (c.user)
            keychain.setPassword(*c.user, SecurityManager::kPasswordServiceName, SecurityManager::kUserNameAccountName);
        if (c.install) a.tp->defaults->setObject("CurrentInstall", *c.install);
        a.launch();

        EXPECT_EQ(a.tp->defaults->stringForKey("CurrentInstall"), "YES");
        EXPECT_EQ(a.showsMainScreens(), c.mainScreens);
        EXPECT_EQ(a.logIns, 0);  // only once the transition has ended
        a.tp->advance(0.5);
        EXPECT_EQ(a.logIns, c.mainScreens ? 1 : 0);
        // A reinstall drops the token only: the user name survives.
        if (!c.install) {
            EXPECT_FALSE(a.token());
            EXPECT_EQ(keychain.password(SecurityManager::kPasswordServiceName, SecurityManager::kUserNameAccountName),
                      c.user);
        }
    }
}

TEST(MVAppDelegate, DeviceLanguageChangeEmptiesTheStoredCatalogue) {
    struct Case {
        std::optional<std::string> lastLanguage;
        bool kept;
    };
    for (const auto& c : {Case{"sv-SE", true}, Case{"en-GB", false}, Case{std::nullopt, false}}) {
        SCOPED_TRACE(c.lastLanguage.value_or("(none)"));
        App a;
        {
            MVCoreDataService store(a.dir.path());
            ASSERT_FALSE(store.setupStack());
            auto [error] = a.tp->await<ErrorPtr>([&](auto done) {
                store.saveInBackground(
                    [](StoreContext& context) -> ErrorPtr {
                        MVChannel channel;
                        channel.setChannelID("ROOT");
                        channel.setGuid("ROOT");
                        return context.saveChannel(channel);
                    },
                    done);
            });
            ASSERT_FALSE(error);
        }
        a.hasRunBefore();
        if (c.lastLanguage)
            a.tp->defaults->setObject("MVTKLastUserLanguageKey", *c.lastLanguage);
        else
            a.tp->defaults->removeObject("MVTKLastUserLanguageKey");
        a.launch();
        // The clearing is queued on the store's writer: a save queued after it ends after it.
        auto store = MVCoreDataService::registered();
        a.tp->await<ErrorPtr>(
            [&](auto done) { store->saveInBackground([](StoreContext&) -> ErrorPtr { return nullptr; }, done); });

        EXPECT_EQ(store->mainContext()->fetchChannel("ROOT") != nullptr, c.kept);
        EXPECT_EQ(a.tp->defaults->stringForKey("MVTKLastUserLanguageKey"), "sv-SE");
    }
}

TEST(MVAppDelegate, DiscriminatorFailureShowsTheErrorAndKeepsAUsableClient) {
    struct Case {
        const char* name;
        ScriptedReply reply;
        std::string errorScreen;  // empty: the generic alert
        std::optional<std::string> lastHost;
        std::string base;
    };
    const Case cases[] = {
        {"ST1009", jsonReply(503, R"({"errorCode":"ST1009"})"), "MVFullScreenErrorViewController", std::nullopt,
         "https://default.test/stoffice/client/ios/"},
        {"500", jsonReply(500, "{}"), "", "api.test", "https://api.test/stoffice/client/ios/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        App a;
        a.hasRunBefore();
        if (c.lastHost) a.tp->defaults->setObject(MVHTTPClient::kLastAPIHostKey, *c.lastHost);
        a.discriminator = c.reply;
        a.launch();

        EXPECT_EQ(rootClass(a.app->fullScreenErrorWindow()), c.errorScreen);
        EXPECT_EQ(a.alert() ? a.alert()->message() : "", c.errorScreen.empty() ? kGeneric : "");
        // The launch still decides the route.
        EXPECT_TRUE(a.app->loginWindow());

        auto client = MVHTTPClient::sharedClient();
        ASSERT_TRUE(client);
        a.tp->await<ErrorPtr, XMLDocumentPtr>([&](auto done) { client->checkErrorStatusWithCompletion(done); });
        EXPECT_EQ(a.requests(c.base + "browse").size(), 1u);
    }
}

TEST(MVAppDelegate, UnknownTenantRetriesTwoSecondsAfterOK) {
    App a;
    a.hasRunBefore();
    a.discriminator = jsonReply(200, R"({"url":"https://api.test","cc":["GB"],"name":"GB"})");
    a.launch();
    ASSERT_TRUE(a.alert());
    EXPECT_EQ(a.alert()->message(), kGeneric);
    EXPECT_FALSE(a.app->loginWindow());

    for (int round = 0; round < 2; ++round) {
        const auto asked = a.requests("disc.test").size();
        ASSERT_TRUE(a.alert()->tapButton("OK"));
        a.settle();
        a.tp->advance(1.9);
        a.settle();
        EXPECT_EQ(a.requests("disc.test").size(), asked);
        if (round == 1) a.discriminator = jsonReply(200, kTavik);
        a.tp->advance(0.1);
        a.settle();
        EXPECT_EQ(a.requests("disc.test").size(), asked + 1);
    }
    EXPECT_FALSE(a.alert());
    EXPECT_TRUE(a.app->loginWindow());
}

// A return in another tenant is driven against the emulator (ClientAgainstEmulatorTest), which leaves the
// same-tenant return to this test.
TEST(MVAppDelegate, ReturningToTheForegroundInTheSameTenantRefreshesButDoesNotRoute) {
    App a;
    a.signedIn();
    ProfileManager::setActiveProfile(ProfileTypeKids);
    a.launch();
    a.tp->advance(0.5);
    ASSERT_EQ(a.logIns, 1);
    ProfileManager::setActiveProfile(ProfileTypeAdult);
    auto stack = a.app->window()->rootViewController();

    a.discriminator = jsonReply(200, R"({"url":"https://api.test","cc":["SE"],"name":"se"})");
    a.app->applicationWillEnterForeground();
    a.settle();
    a.tp->advance(0.5);
    EXPECT_EQ(ProfileManager::launchProfile(), ProfileTypeAdult);
    EXPECT_EQ(a.requests("/stoffice/client/account").size(), 2u);  // home tenant asked again
    EXPECT_EQ(a.logIns, 1);
    EXPECT_EQ(a.app->window()->rootViewController(), stack);
    // No region change reported (the main screens send hits of their own meanwhile).
    for (const auto& hit : a.tp->analytics->hits)
        EXPECT_NE(hit.count("&ea") ? hit.at("&ea") : "", "SignIn_RegionChange");
}

TEST(MVAppDelegate, HomeTenantFailureDecidesBetweenErrorScreenAndRoute) {
    struct Case {
        const char* name;
        ScriptedReply account;
        std::string errorScreen;
    };
    const Case cases[] = {
        {"geo-blocked", reply(403, "text/html", "no"), "MVGeoBlockViewController"},
        // An error document is no account: its 1009 must not be lost to the mapping error.
        {"maintenance document", xmlReply(200, errorXml("ST1009")), "MVFullScreenErrorViewController"},
        {"other failure", xmlReply(500, "<result/>"), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        App a;
        a.signedIn();
        a.account = c.account;
        a.launch();
        EXPECT_EQ(rootClass(a.app->fullScreenErrorWindow()), c.errorScreen);
        EXPECT_EQ(a.showsMainScreens(), c.errorScreen.empty());
    }
}

TEST(MVAppDelegate, SignOutWithMaintenanceShowsBothScreensAndEndsSignedOut) {
    App a;
    a.signedIn();
    a.launch();
    a.tp->advance(0.5);
    ASSERT_TRUE(a.showsMainScreens());
    a.app->searchCache()->setLastSearchString("dune");

    a.browse.hold = true;
    ErrorPtr running;
    MVHTTPClient::sharedClient()->checkErrorStatusWithCompletion([&](ErrorPtr e, XMLDocumentPtr) { running = e; });
    a.tp->platform().notificationCenter().post(MVNotificationLogOut, nullptr, {{"error", 1009}});

    EXPECT_EQ(rootClass(a.app->fullScreenErrorWindow()), "MVFullScreenErrorViewController");
    a.settle();
    ASSERT_TRUE(running);
    EXPECT_EQ(running->code, kURLErrorCancelled);
    ASSERT_EQ(a.requests("/device/logout").size(), 1u);
    EXPECT_EQ(a.requests("/device/logout")[0].method, "DELETE");
    EXPECT_FALSE(a.token());
    EXPECT_EQ(a.app->searchCache()->lastSearchString(), "");

    auto login = a.app->loginWindow();
    ASSERT_TRUE(login);
    a.tp->advance(0.6);
    EXPECT_FALSE(a.app->window());
    EXPECT_EQ(a.app->loginWindow(), login);
    EXPECT_TRUE(a.app->fullScreenErrorWindow());
}

}  // namespace
}  // namespace movra
