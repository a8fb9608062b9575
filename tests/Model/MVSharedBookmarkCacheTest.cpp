// Resume positions: the bookmark cache's rules and the progress bars drawn from it.
#include "Model/MVItem.h"
#include "Model/MVSharedBookmarkCache.h"
#include "Model/TitleProgress.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

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
    cache->setBookmarkSeconds(-1, title("A", 754));
    cache->setBookmarkSeconds(-1, title("B"));
    cache->setBookmarkSeconds(30, title(std::nullopt, 10));
    cache->setBookmarkSeconds(30, title("", 10));
    EXPECT_EQ(cache->bookmarkCache(), (std::map<std::string, long long>{{"A", 754}, {"B", 0}}));

    // Another record of title A (listed by another channel) has the position stored through the first.
    MVItem inAnotherChannel = title("A", 12);
    cache->setBookmarkSeconds(900, title("A", 754));
    EXPECT_EQ(cache->bookmarkPositionForAsset(inAnotherChannel), 900);

    // A title not seen before reports its feed bookmark and keeps it.
    EXPECT_EQ(cache->bookmarkPositionForAsset(title("C", 300)), 300);
    EXPECT_EQ(cache->bookmarkCache().at("C"), 300);
    EXPECT_EQ(cache->bookmarkPositionForAsset(title("", 42)), 42);
    EXPECT_EQ(cache->bookmarkCache().size(), 3u);

    // After sign-out a title reports 0 until a feed brings its position again.
    cache->resetCache();
    EXPECT_TRUE(cache->bookmarkCache().empty());
    EXPECT_EQ(cache->bookmarkPositionForAsset(title("A")), 0);
}

TEST_F(MVSharedBookmarkCacheTest, ProgressIsThePositionWithinTheStreamForTitlesWithAPrice) {
    struct Case {
        bool priced;
        int duration;
        long long position;
        bool hidesUnstarted;
        double fraction;
        bool drawsNothing;
        bool hidden;
    };
    const Case cases[] = {
        {true, 5400, 1350, false, 0.25, false, false}, {true, 5400, 6000, false, 1.0, false, false},
        {true, 5400, 0, true, 0.0, true, true},        {true, 5400, 0, false, 0.0, true, false},
        {true, 0, 600, true, 0.0, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.duration) + "/" + std::to_string(c.position));
        MVItem item = title("T");
        item.setPricesData(Json::array({{{"type", "rent"}, {"price", "29"}}}).dump());
        item.setGroupData(Json{{"content", Json::array({{{"medium", "video"}, {"duration", c.duration}}})}}.dump());
        cache->setBookmarkSeconds(c.position, item);
        auto progress = TitleProgress::forItem(item, c.hidesUnstarted);
        ASSERT_TRUE(progress);
        EXPECT_DOUBLE_EQ(progress->fraction(), c.fraction);
        EXPECT_EQ(progress->drawsNothing(), c.drawsNothing);
        EXPECT_EQ(progress->isHidden(), c.hidden);
    }
    EXPECT_FALSE(TitleProgress::forItem(title("T")));  // no price record, no bar
}

}  // namespace
}  // namespace movra
