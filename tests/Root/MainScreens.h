// MainScreens: a signed-in world for the tests of the main screens: a store, the shared client and a region
// answer (Tavik) on a scripted network that serves a root menu, the account and one-title lists; and a
// window that shows a new MVStackViewController on request.
#pragma once

#include "API/MVHTTPClient.h"
#include "App/MVDiscriminator.h"
#include "Model/MVCoreDataService.h"
#include "Model/StoreTest.h"
#include "Root/MVBrowsingViewController.h"
#include "Root/MVMenuViewController.h"
#include "Root/MVStackViewController.h"
#include "support/SettleBackgroundWork.h"
#include "support/TemporaryDirectory.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace movra::test {

/// A root menu entry. Its guid is the title without spaces and its analytics label the title.
struct MenuEntry {
    std::string title;
    std::string type = "folder";
    std::string keywords = "Menu";
    std::string category = "menu";
};

inline const MenuEntry kFilms{"Films"};
inline const MenuEntry kKids{"Kids Zone", "folder", "lockable"};

inline std::string rootMenuFeed(const std::vector<MenuEntry>& entries) {
    std::string items;
    for (const auto& e : entries) {
        const std::string guid = replaceAll(e.title, " ", "");
        items += "<item><guid>" + guid + "</guid><title>" + e.title + "</title><link>browse/" + guid +
                 "</link><category>" + e.category + "</category><media:keywords>" + e.keywords +
                 "</media:keywords><stravo:itemType>" + e.type + "</stravo:itemType><stravo:analyticsLabel>" + e.title +
                 "</stravo:analyticsLabel></item>";
    }
    return R"(<rss xmlns:stravo="urn:s" xmlns:media="urn:m"><channel><guid>ROOT</guid><title>Root</title>)"
           "<ttl>15</ttl>" +
           items + "</channel></rss>";
}

class MainScreens {
  public:
    explicit MainScreens(const std::vector<MenuEntry>& menu, std::string homeCountry = "SE")
        : rootMenu(xmlReply(200, rootMenuFeed(menu))) {
        auto discriminator = MVDiscriminator::initSharedDiscriminatorWithJSON(
            Json{{"url", "api.test"}, {"cc", Json::array({"SE"})}, {"name", "Movra Tavik"}});
        MVHTTPClient::initSharedClientWithHost("api.test");
        EXPECT_FALSE(store->setupStack());
        MVCoreDataService::setRegistered(store);
        env.network->setScript([this, homeCountry](const HttpRequest& request) {
            const std::string path = request.url.substr(0, request.url.find('?'));
            if (endsWith(path, "/browse")) return rootMenu;
            if (endsWith(path, "/account"))
                return xmlReply(200, "<result><status>success</status><account><country>" + homeCountry +
                                         "</country></account></result>");
            return xmlReply(200, feed(path.substr(path.rfind('/') + 1), {"t1"}));
        });
        env.await<>([&](auto done) { discriminator->setupHomeTenantWithSuccess(done, [done](ErrorPtr) { done(); }); });
        auto& center = env.platform().notificationCenter();
        observers.emplace_back(center, center.addObserver(MVNotificationLogOut, [this](const Notification& n) {
            logOuts.push_back(n.numberValue("error"));
        }));
        observers.emplace_back(center, center.addObserver(MVTKFullScreenModalDismissed,
                                                          [this](const Notification&) { ++modalsDismissed; }));
    }
    ~MainScreens() {
        stop();
        settleBackgroundWork(env, *store);
        observers.clear();
        store->invalidateStack();
    }

    /// Shows a new container and runs until its menu has routed an entry or the user was signed out.
    std::shared_ptr<MVStackViewController> start() {
        stack = std::make_shared<MVStackViewController>();
        window->setRootViewController(stack);
        window->makeKeyAndVisible();
        const auto signOuts = logOuts.size();
        EXPECT_TRUE(env.runUntil([&] { return stack->mainMenu()->lastSelectedItem() || logOuts.size() > signOuts; }));
        return stack;
    }
    /// The window lets go of the container, as at sign-out.
    void stop() {
        window->setRootViewController(nullptr);
        stack.reset();
    }
    /// Runs until the first list has loaded and the loading screen has faded away.
    void finishInitialLoad() {
        ASSERT_TRUE(env.runUntil([&] { return !stack->initialLoadRetryTimer(); }));
        env.advance(MVStackViewController::kLoadingScreenFadeDuration);
        ASSERT_TRUE(env.runUntil([&] { return !stack->initialLoadController(); }));
        env.main().runPending();
    }
    std::size_t rootMenuRequests() const {
        std::size_t count = 0;
        for (const auto& request : env.network->requests())
            if (endsWith(request.url.substr(0, request.url.find('?')), "/browse")) ++count;
        return count;
    }
    std::shared_ptr<MVMenuViewController> menu() const { return stack->mainMenu(); }
    std::string rows() const {
        std::vector<std::string> titles;
        for (std::size_t row = 0; row < menu()->numberOfRows(); ++row) titles.push_back(menu()->titleForRow(row));
        return join(titles, "|");
    }

    TemporaryDirectory directory;
    TestPlatform env;
    std::shared_ptr<MVCoreDataService> store = std::make_shared<MVCoreDataService>(directory.path());
    ScriptedReply rootMenu;
    std::vector<std::optional<long long>> logOuts;
    int modalsDismissed = 0;
    std::vector<ScopedObserver> observers;
    WindowPtr window = env.ui->makeWindow("main");
    std::shared_ptr<MVStackViewController> stack;
};

}  // namespace movra::test
