// The watchlist requests, the stored flags that follow a successful change, the query screens list a
// channel's items with, and the refresh rules of the subscriber's shelves.
#include "API/MVHTTPClient.h"
#include "App/MVAppDelegate.h"
#include "App/MVDiscriminator.h"
#include "Model/MVCoreDataService.h"
#include "Model/MVDataManager.h"
#include "Model/MVItem.h"
#include "Model/ProfileManager.h"
#include "support/TemporaryDirectory.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace movra {
namespace {

using test::xmlReply;

struct Title {
    std::string guid;
    std::string keywords = "film";
    std::string savedAsset = "false";
};

std::string feed(const std::string& guid, const std::vector<Title>& titles, const std::string& ttl = "15") {
    std::string items;
    for (const auto& t : titles)
        items += "<item><guid>" + t.guid + "</guid><media:keywords>" + t.keywords +
                 "</media:keywords><stravo:savedAsset>" + t.savedAsset + "</stravo:savedAsset></item>";
    return R"(<rss xmlns:stravo="urn:stravo" xmlns:media="http://search.yahoo.com/mrss/"><channel><guid>)" + guid +
           "</guid><ttl>" + ttl + "</ttl>" + items + "</channel></rss>";
}

class WatchlistFlagsTest : public ::testing::Test {
  protected:
    WatchlistFlagsTest() {
        MVDiscriminator::initSharedDiscriminatorWithJSON({{"url", "api.test"}, {"cc", {"SE"}}, {"name", "MVTK"}});
        client = MVHTTPClient::initSharedClientWithHost("api.test");
        EXPECT_FALSE(store->setupStack());
        env.platform().setObject(store);
    }
    ~WatchlistFlagsTest() override { store->invalidateStack(); }

    void import(const std::string& xml, bool replacing = true) {
        env.await<ErrorPtr, std::shared_ptr<MVChannel>, XMLDocumentPtr>(
            [&](auto done) { client->handleXMLResponse(XMLDocument::parse(xml), 0, replacing, done); });
    }

    /// "itemID=flag" of every stored record, in itemID order.
    std::vector<std::string> flags() {
        StoreContext::ItemQuery query;
        query.sortKeys = {{"itemID", true}};
        std::vector<std::string> out;
        for (const auto& item : store->mainContext()->fetchItems(query))
            out.push_back(item->itemID().value_or("?") + "=" + (item->isInWatchlist().value_or(false) ? "1" : "0"));
        return out;
    }

    std::vector<std::string> guids(const StoreContext::ItemQuery& query) {
        std::vector<std::string> out;
        for (const auto& item : store->mainContext()->fetchItems(query)) out.push_back(item->guid().value_or("?"));
        return out;
    }

    test::TemporaryDirectory directory;
    test::TestPlatform env;
    std::shared_ptr<MVHTTPClient> client;
    std::shared_ptr<MVCoreDataService> store = std::make_shared<MVCoreDataService>(directory.path());
};

TEST_F(WatchlistFlagsTest, RequestsCarryTheGuidInTheQueryAndNoGuidSendsNothing) {
    env.network->answerAll(xmlReply(200, "<result><status>Success</status></result>"));
    auto [added] = env.await<ErrorPtr>(
        [&](auto done) { client->addToWatchlistWithGUID("film-1", [done](ErrorPtr e, XMLDocumentPtr) { done(e); }); });
    auto [removed] = env.await<ErrorPtr>([&](auto done) {
        client->removeFromWatchlistWithGUID("film-1", [done](ErrorPtr e, XMLDocumentPtr) { done(e); });
    });
    EXPECT_FALSE(added);
    EXPECT_FALSE(removed);
    const auto requests = env.network->requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].url, "https://api.test/stoffice/client/ios/addSavedAsset?guid=film-1&language=sv_mvtk");
    EXPECT_EQ(requests[1].method, "DELETE");
    EXPECT_EQ(requests[1].url, "https://api.test/stoffice/client/ios/savedAsset?guid=film-1&language=sv_mvtk");

    for (const std::optional<std::string>& guid : {std::optional<std::string>(), std::optional<std::string>("")}) {
        for (bool add : {true, false}) {
            ErrorPtr error;
            bool called = false;
            auto completion = [&](ErrorPtr e, XMLDocumentPtr) {
                error = e;
                called = true;
            };
            auto task = add ? client->addToWatchlistWithGUID(guid, completion)
                            : client->removeFromWatchlistWithGUID(guid, completion);
            EXPECT_FALSE(task);
            ASSERT_TRUE(called);  // at once, not later
            ASSERT_TRUE(error);
            EXPECT_TRUE(error->is(kHTTPClientErrorDomain, 0));
            EXPECT_EQ(error->userInfo.value("NSUnderlyingError", ""), "invalid guid");
        }
    }
    EXPECT_EQ(env.network->requestCount(), 2u);
}

TEST_F(WatchlistFlagsTest, LocalUpdatesFlagEveryRecordOfTheTitlesAndAlwaysAnnounceTheChange) {
    import(feed("films", {{"T1"}, { "T2", "film", "true" }}));
    import(feed("shelf", {{"T1"}, { "T3" }}));
    import(feed("shelf", {{ "T3" }}));  // T1's record there is detached, and still the title's
    std::vector<std::string> announced;
    auto& center = env.platform().notificationCenter();
    ScopedObserver observer(center, center.addObserver(MVNotificationWatchlistChanged, [&](const Notification& n) {
        const auto* guid = n.object<std::string>("object");
        announced.push_back(guid ? *guid : "<none>");
    }));

    MVHTTPClient::updateCacheForAddedWatchlistItemGuids({"T1"});
    EXPECT_EQ(flags(), (std::vector<std::string>{"films-T1=1", "films-T2=1", "shelf-T1=1", "shelf-T3=0"}));
    MVHTTPClient::updateCacheForRemovedWatchlistItemGuids({"T4"});
    MVHTTPClient::updateCacheForRemovedWatchlistItemGuids({"T2", "T3"});
    EXPECT_EQ(flags(), (std::vector<std::string>{"films-T1=1", "films-T2=0", "shelf-T1=1", "shelf-T3=0"}));
    MVHTTPClient::updateCacheForAddedWatchlistItemGuids({});
    EXPECT_EQ(announced, (std::vector<std::string>{"T1", "T4", "T2"}));

    // A later import's flag wins over the local change.
    import(feed("films", {{ "T1" }}));
    EXPECT_EQ(flags().front(), "films-T1=0");
}

TEST_F(WatchlistFlagsTest, ScreensListTheFreshItemsOfTheChannelForTheActiveProfile) {
    import(feed("landing", {{"adult-1"}, {"kids-1", "film, kids"}, { "adult-2" }}));
    import(feed("stale", {{ "adult-3" }}, "0"));
    env.advance(3);
    const std::pair<ProfileType, std::vector<std::string>> cases[] = {
        {ProfileTypeNone, {"adult-1", "kids-1", "adult-2"}},
        {ProfileTypeAdult, {"adult-1", "adult-2"}},
        {ProfileTypeKids, {"kids-1"}},
    };
    for (const auto& [profile, expected] : cases) {
        ProfileManager::setActiveProfile(profile);
        EXPECT_EQ(guids(MVDataManager::channelItemsQuery("landing")), expected) << profile;
        EXPECT_TRUE(guids(MVDataManager::channelItemsQuery("stale")).empty());
    }
}

TEST_F(WatchlistFlagsTest, ShelvesRefreshTheirFirstPageAndThePlayerAppends) {
    EXPECT_FALSE(MVDataManager::refreshWatchlistShelfWithCompletion(nullptr));  // no menu entries yet
    auto app = std::make_shared<MVAppDelegate>();
    MVAppDelegate::setSharedAppDelegate(app);
    auto entry = [](const std::string& link) {
        auto item = std::make_shared<MVItem>();
        item->setLink(link);
        return item;
    };
    app->setWatchlistItem(entry("browse/watchlist"));
    app->setRecentlyWatched(entry("browse/recent"));
    const std::string watchlistPage = feed("WATCHLIST", {{"w1"}});
    const std::string recentPage = feed("RECENT", {{"r2"}});
    env.network->setScript([=](const HttpRequest& request) {
        return xmlReply(200, request.url.find("/watchlist") != std::string::npos ? watchlistPage : recentPage);
    });
    import(feed("RECENT", {{"r1"}, { "r2" }}));

    env.await<ErrorPtr, std::shared_ptr<MVChannel>, XMLDocumentPtr>(
        [](auto done) { MVDataManager::refreshWatchlistShelfWithCompletion(done); });
    MVDataManager::refreshRecentlyWatchedAfterPlayback();
    // Nobody waits for the player's refresh: it has landed once r2 is numbered first.
    ASSERT_TRUE(env.runUntil([&] { return store->mainContext()->fetchItem("RECENT-r2")->indexInChannel() == 0; }));
    // The page no longer lists r1, and it stays: the player's refresh appends.
    auto afterPlayback = guids(MVDataManager::channelItemsQuery("RECENT"));
    std::sort(afterPlayback.begin(), afterPlayback.end());
    EXPECT_EQ(afterPlayback, (std::vector<std::string>{"r1", "r2"}));
    env.await<ErrorPtr, std::shared_ptr<MVChannel>, XMLDocumentPtr>(
        [](auto done) { MVDataManager::refreshContinueWatchingShelfWithCompletion(done); });
    EXPECT_EQ(guids(MVDataManager::channelItemsQuery("RECENT")), std::vector<std::string>{"r2"});

    const auto requests = env.network->requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].url,
              "https://api.test/stoffice/client/ios/browse/watchlist?language=sv_mvtk&max=30&offset=0");
    EXPECT_EQ(requests[1].url, "https://api.test/stoffice/client/ios/browse/recent?language=sv_mvtk&max=30&offset=0");
    MVAppDelegate::setSharedAppDelegate(nullptr);
}

}  // namespace
}  // namespace movra
