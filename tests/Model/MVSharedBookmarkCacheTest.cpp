// Resume positions: the bookmark cache's rules, the progress bars drawn from it, and feed imports writing
// it on the store's writer queue while the main queue reads and writes the same titles (run under
// ThreadSanitizer by the sanitizer build).
#include "API/MVHTTPClient.h"
#include "Model/MVCoreDataService.h"
#include "Model/MVItem.h"
#include "Model/MVSharedBookmarkCache.h"
#include "Model/TitleProgress.h"
#include "support/TemporaryDirectory.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <set>

namespace movra {
namespace {

MVItem title(std::optional<std::string> guid, std::optional<std::int32_t> feedBookmark = std::nullopt) {
    MVItem item;
    item.setGuid(std::move(guid));
    item.setBookmark(feedBookmark);
    return item;
}

class MVSharedBookmarkCacheTest : public ::testing::Test {
  protected:
    test::TestPlatform env;
    std::shared_ptr<MVSharedBookmarkCache> cache = MVSharedBookmarkCache::sharedCache();
};

TEST_F(MVSharedBookmarkCacheTest, PositionsAreSharedByGuidAndSeededFromTheFeed) {
    cache->setBookmarkSeconds(-1, title("A", 754));  // a negative position takes the feed's
    cache->setBookmarkSeconds(-1, title("B"));
    cache->setBookmarkSeconds(30, title(std::nullopt, 10));
    cache->setBookmarkSeconds(30, title("", 10));
    EXPECT_EQ(cache->bookmarkCache(), (std::map<std::string, long long>{{"A", 754}, {"B", 0}}));
    // Another record of title A (listed by another channel) reports what was stored through the first; a
    // title not seen before reports its feed bookmark and keeps it.
    cache->setBookmarkSeconds(900, title("A", 754));
    EXPECT_EQ(cache->bookmarkPositionForAsset(title("A", 12)), 900);
    EXPECT_EQ(cache->bookmarkPositionForAsset(title("C", 300)), 300);
    EXPECT_EQ(cache->bookmarkPositionForAsset(title("", 42)), 42);
    EXPECT_EQ(cache->bookmarkCache().size(), 3u);
    // After sign-out a title reports 0 until a feed brings its position again.
    cache->resetCache();
    EXPECT_EQ(cache->bookmarkPositionForAsset(title("A")), 0);
}

TEST_F(MVSharedBookmarkCacheTest, ProgressIsThePositionWithinTheStreamForTitlesWithAPrice) {
    // duration, position, hides unstarted titles -> share drawn (-1: nothing drawn), hidden
    const std::tuple<int, long long, bool, double, bool> cases[] = {
        {5400, 1350, false, 0.25, false}, {5400, 6000, false, 1.0, false}, {5400, 0, true, -1, true},
        {5400, 0, false, -1, false},      {0, 600, true, -1, false},
    };
    for (const auto& [duration, position, hidesUnstarted, share, hidden] : cases) {
        MVItem item = title("T");
        item.setPricesData(Json::array({{{"type", "rent"}}}).dump());
        item.setGroupData(Json{{"content", Json::array({{{"medium", "video"}, {"duration", duration}}})}}.dump());
        cache->setBookmarkSeconds(position, item);
        auto progress = TitleProgress::forItem(item, hidesUnstarted);
        ASSERT_TRUE(progress);
        EXPECT_EQ(progress->drawsNothing() ? -1 : progress->fraction(), share) << duration << "/" << position;
        EXPECT_EQ(progress->isHidden(), hidden) << duration << "/" << position;
    }
    EXPECT_FALSE(TitleProgress::forItem(title("T")));  // no price record, no bar
}

class MVSharedBookmarkCacheConcurrencyTest : public MVSharedBookmarkCacheTest {};

TEST_F(MVSharedBookmarkCacheConcurrencyTest, FeedImportsAndTheMainQueueShareTheCacheWithoutARace) {
    constexpr int kTitles = 24;
    constexpr int kPages = 12;
    auto page = [](int round) {
        std::string items;
        for (int i = 0; i < kTitles; ++i)
            items += "<item><guid>T" + std::to_string(i) + "</guid><stravo:bookmark>" +
                     std::to_string(round * 1000 + i) + "</stravo:bookmark></item>";
        return R"(<rss xmlns:stravo="urn:stravo"><channel><guid>CH)" + std::to_string(round % 3) +
               "</guid><ttl>15</ttl>" + items + "</channel></rss>";
    };
    test::TemporaryDirectory directory;
    auto store = std::make_shared<MVCoreDataService>(directory.path());
    ASSERT_FALSE(store->setupStack());
    MVCoreDataService::setRegistered(store);
    auto client = MVHTTPClient::initSharedClientWithHost("api.test");

    std::set<long long> written;
    for (int round = 0; round < kPages; ++round)
        for (int i = 0; i < kTitles; ++i) written.insert(round * 1000 + i);
    int imported = 0;
    for (int round = 0; round < kPages; ++round) {
        client->handleXMLResponse(XMLDocument::parse(page(round)), 0, /*clearExistingData=*/true,
                                  [&](ErrorPtr error, std::shared_ptr<MVChannel>, XMLDocumentPtr) {
                                      EXPECT_FALSE(error);
                                      ++imported;
                                  });
    }
    // The player and the screens at work on the same titles while the pages are imported.
    for (long long turn = 0; imported < kPages; ++turn) {
        for (int i = 0; i < kTitles; ++i) {
            MVItem item = title("T" + std::to_string(i), 7);
            const long long seconds = 500000 + turn * kTitles + i;
            cache->setBookmarkSeconds(seconds, item);
            written.insert(seconds);
            EXPECT_TRUE(written.count(cache->bookmarkPositionForAsset(item)));
            item.isJustStarted();
        }
        for (const auto& stored : store->mainContext()->fetchItems({})) cache->bookmarkPositionForAsset(*stored);
        env.main().runPending();
    }
    for (const auto& [guid, seconds] : cache->bookmarkCache()) EXPECT_TRUE(written.count(seconds)) << guid;
    EXPECT_EQ(store->mainContext()->countItems({}), 3 * kTitles);

    store->invalidateStack();
}

}  // namespace
}  // namespace movra
