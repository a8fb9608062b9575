// The watchlist requests, the stored flags that follow a successful change, the query screens list a
// channel's items with, and the refresh rules of the subscriber's shelves.
#include "Model/MVDataManager.h"
#include "Model/MVItem.h"
#include "Model/MVRootMenuEntries.h"
#include "Model/ProfileManager.h"
#include "Model/StoreTest.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

using test::feed;
using test::xmlReply;

class WatchlistFlagsTest : public test::StoreTest {
  protected:
    /// The items `query` finds, as "itemID=flag" (or their guids), in itemID order.
    std::vector<std::string> listed(StoreContext::ItemQuery query, bool flags = false) {
        query.sortKeys = {{"itemID", true}};
        std::vector<std::string> out;
        for (const auto& item : store->mainContext()->fetchItems(query))
            out.push_back(flags ? *item->itemID() + "=" + (item->isInWatchlist().value_or(false) ? "1" : "0")
                                : *item->guid());
        return out;
    }
};

TEST_F(WatchlistFlagsTest, RequestsCarryTheGuidInTheQueryAndNoGuidSendsNothing) {
    env.network->answerAll(xmlReply(200, "<result><status>Success</status></result>"));
    for (const std::optional<std::string>& guid :
         {std::optional<std::string>("film-1"), std::optional<std::string>(), std::optional<std::string>("")}) {
        for (bool add : {true, false}) {
            auto [error] = env.await<ErrorPtr>([&](auto done) {
                auto completion = [done](ErrorPtr e, XMLDocumentPtr) { done(e); };
                // Without a guid the answer comes at once, with no task.
                EXPECT_EQ(!(add ? client->addToWatchlistWithGUID(guid, completion)
                                : client->removeFromWatchlistWithGUID(guid, completion)),
                          isEmpty(guid));
            });
            EXPECT_EQ(error ? error->userInfo.value("NSUnderlyingError", "") : "", isEmpty(guid) ? "invalid guid" : "");
        }
    }
    const auto requests = env.network->requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method + " " + requests[0].url,
              "POST https://api.test/stoffice/client/ios/addSavedAsset?guid=film-1&language=sv_mvtk");
    EXPECT_EQ(requests[1].method + " " + requests[1].url,
              "DELETE https://api.test/stoffice/client/ios/savedAsset?guid=film-1&language=sv_mvtk");
}

TEST_F(WatchlistFlagsTest, LocalUpdatesFlagEveryRecordOfTheTitlesAndAlwaysAnnounceTheChange) {
    import(feed("films", {"T1", "T2::true"}));
    import(feed("shelf", {"T1", "T3"}));
    import(feed("shelf", {"T3"}));  // T1's record there is detached, and still the title's
    std::vector<std::string> announced;
    auto& center = env.platform().notificationCenter();
    ScopedObserver observer(center, center.addObserver(MVNotificationWatchlistChanged, [&](const Notification& n) {
        announced.push_back(*n.object<std::string>("object"));
    }));

    // Each change is announced once the store carries it.
    auto update = [&](bool add, std::vector<std::string> guids) {
        env.await<>([&](auto done) {
            if (add)
                MVHTTPClient::updateCacheForAddedWatchlistItemGuids(guids, done);
            else
                MVHTTPClient::updateCacheForRemovedWatchlistItemGuids(guids, done);
        });
    };
    update(true, {"T1"});
    EXPECT_EQ(listed({}, true), (std::vector<std::string>{"films-T1=1", "films-T2=1", "shelf-T1=1", "shelf-T3=0"}));
    update(false, {"T4"});
    update(false, {"T2", "T3"});
    update(true, {});
    EXPECT_EQ(listed({}, true), (std::vector<std::string>{"films-T1=1", "films-T2=0", "shelf-T1=1", "shelf-T3=0"}));
    EXPECT_EQ(announced, (std::vector<std::string>{"T1", "T4", "T2"}));
}

TEST_F(WatchlistFlagsTest, ScreensListTheFreshItemsOfTheChannelForTheActiveProfile) {
    import(feed("landing", {"adult-1", "kids-1:film, kids"}));
    import(feed("stale", {"adult-2"}, "0"));
    env.advance(3);
    const std::pair<ProfileType, std::vector<std::string>> cases[] = {
        {ProfileTypeNone, {"adult-1", "kids-1"}}, {ProfileTypeAdult, {"adult-1"}}, {ProfileTypeKids, {"kids-1"}}};
    for (const auto& [profile, expected] : cases) {
        ProfileManager::setActiveProfile(profile);
        EXPECT_EQ(listed(MVDataManager::channelItemsQuery("landing")), expected) << profile;
        EXPECT_TRUE(listed(MVDataManager::channelItemsQuery("stale")).empty());
    }
}

TEST_F(WatchlistFlagsTest, ShelvesRefreshTheirFirstPageAndThePlayerAppends) {
    auto recent = std::make_shared<MVItem>();
    recent->setLink("browse/recent");
    MVRootMenuEntries::shared()->setRecentlyWatched(recent);
    env.network->answerAll(xmlReply(200, feed("RECENT", {"r2"})));
    import(feed("RECENT", {"r1", "r2"}));

    // Nobody waits for the player's refresh: it has landed once r2 is numbered first. It appends, so the
    // title the page no longer lists stays.
    MVDataManager::refreshRecentlyWatchedAfterPlayback();
    ASSERT_TRUE(env.runUntil([&] { return store->mainContext()->fetchItem("RECENT-r2")->indexInChannel() == 0; }));
    EXPECT_EQ(listed(MVDataManager::channelItemsQuery("RECENT")), (std::vector<std::string>{"r1", "r2"}));
    env.await<ErrorPtr, std::shared_ptr<MVChannel>, XMLDocumentPtr>(
        [](auto done) { MVDataManager::refreshContinueWatchingShelfWithCompletion(done); });
    EXPECT_EQ(listed(MVDataManager::channelItemsQuery("RECENT")), std::vector<std::string>{"r2"});
    EXPECT_EQ(env.network->requests().back().url,
              "https://api.test/stoffice/client/ios/browse/recent?language=sv_mvtk&max=30&offset=0");
    EXPECT_FALSE(MVDataManager::refreshWatchlistShelfWithCompletion(nullptr));  // the menu has no watchlist
}

}  // namespace
}  // namespace movra
