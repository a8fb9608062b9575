// Catalogue items: the import rules, the store's attribute access, the decoded sub-records, the predicates
// and the lookups of screens, the player and the cast sender.
#include "Model/CatalogueFixtures.h"
#include "Model/MVItem.h"
#include "Model/MVRootMenuEntries.h"
#include "Model/MVSharedBookmarkCache.h"
#include "Utilities/CurrentRegionTenant.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

class MVItemTest : public ::testing::Test {
  protected:
    static MVItem imported(const Json& dictionary) {
        MVItem item;
        item.updateFromJSON(dictionary);
        return item;
    }
    static MVItem importedElements(const std::string& elements) { return imported(test::itemDictionary(elements)); }
    static MVItem seriesEpisode() { return imported(test::channelDictionary(test::kSeriesFeed)["items"][0]); }

    test::TestPlatform platform;
};

// A media group with the given content, as the feed archives it.
std::string groupData(const Json& content, const Json& thumbnails = Json::array()) {
    return Json{{"content", content}, {"thumbnails", thumbnails}}.dump();
}

// The dictionary's exact contents are MVChannelTest's; here the typed values and what import derives.
TEST_F(MVItemTest, ImportsAFullFeedItem) {
    MVItem item = seriesEpisode();
    EXPECT_EQ(item.navigationalGUID(), "EP-1");  // the feed's shortcut was empty
    EXPECT_EQ(MVSharedBookmarkCache::sharedCache()->bookmarkCache().at("EP-1"), 754);
    EXPECT_EQ(item.keywordsArray(), (std::vector<std::string>{"Series", "Episode"}));
}

TEST_F(MVItemTest, ItemTypeAndSavedAssetTexts) {
    const std::pair<std::string, std::int32_t> types[] = {
        {"FOLDER", MVItemTypeFolder}, {"category", MVItemTypeFolder},     {"Media", MVItemTypeMedia},
        {"SAVED", MVItemTypeSaved},   {"billboard", MVItemTypeBillboard}, {"movie", MVItemTypeUnknown},
    };
    for (const auto& [text, type] : types)
        EXPECT_EQ(importedElements("<stravo:itemType>" + text + "</stravo:itemType>").itemType(), type) << text;
    EXPECT_EQ(importedElements("<title>T</title>").itemType().value_or(MVItemTypeUnknown), MVItemTypeUnknown);

    const std::pair<std::string, bool> saved[] = {
        {"<stravo:savedAsset>TRUE</stravo:savedAsset>", true},
        {"<stravo:savedAsset>is true</stravo:savedAsset>", true},
        {"<stravo:savedAsset>1</stravo:savedAsset>", false},
        {"", false},
    };
    for (const auto& [element, expected] : saved) {
        // An item on the watchlist before: the feed's answer replaces the flag, also by leaving it out.
        MVItem item;
        item.setIsInWatchlist(true);
        item.updateFromJSON(test::itemDictionary("<guid>A</guid>" + element));
        EXPECT_EQ(item.isInWatchlist(), expected) << element;
    }
}

TEST_F(MVItemTest, ImportSkipsNullMarkersAndReadsNumbersFromText) {
    struct Case {
        const char* key;
        Json value;
        Json expected;
    } cases[] = {
        {"bookmark", "12.7", 12},
        {"bookmark", "0x1A", 0},
        {"bookmark", "99999999999", 2147483647},
        {"bookmark", nullptr, 5},
        {"bookmark", Json::array({1}), 5},
        {"episodeInSeason", "+4", 4},
        {"isInWatchlist", 2, true},
        {"title", 12, "12"},
        {"groupData", Json::object({{"content", Json::array()}}), R"({"content":[]})"},
        {"noSuchAttribute", "x", nullptr},
    };
    for (const auto& c : cases) {
        MVItem item;
        item.setBookmark(5);
        item.setTitle("Old");
        item.updateFromJSON({{c.key, c.value}});
        const Json values = item.attributeValues();
        EXPECT_EQ(values.contains(c.key) ? values[c.key] : Json(), c.expected) << c.key << " = " << c.value;
    }
}

TEST_F(MVItemTest, SectionKeyAndCarouselFlagFollowTheirSources) {
    const std::tuple<Json, Json, std::string> cases[] = {
        {"9 till 5", nullptr, "#"}, {"zorro", nullptr, "Z"}, {nullptr, nullptr, ""},    {"Alpha", "zeta", "Z"},
        {"alpha", "", "A"},         {"", "beta", "B"},       {"ödemark", nullptr, "Ö"}, {"(500) dagar", nullptr, "("},
    };
    for (const auto& [title, sortName, key] : cases)
        EXPECT_EQ(imported({{"title", title}, {"titleSortName", sortName}}).alphabeticSectionKey(), key)
            << title << " / " << sortName;

    // A later change of its source moves the key, and the carousel flag follows the keywords likewise.
    MVItem item = imported({{"title", "alpha"}});
    item.setTitleSortName("beta");
    EXPECT_EQ(item.alphabeticSectionKey(), "B");
    item.setKeywords("Shelf, Carousel");
    EXPECT_EQ(item.isNotCarouselItem(), 0);
    item.setKeywords(std::nullopt);
    EXPECT_EQ(item.isNotCarouselItem(), 1);
}

TEST_F(MVItemTest, StoreAttributesRoundTripWithoutDerivations) {
    const Json values = seriesEpisode().attributeValues();
    MVItem loaded;
    loaded.setAttributeValues(values);
    EXPECT_EQ(loaded.attributeValues(), values);

    // Raw values are not import: nothing is derived and the bookmark cache is left alone.
    MVItem raw;
    raw.setAttributeValues({{"guid", "RAW"}, {"keywords", "carousel"}, {"title", "zeta"}, {"bookmark", 30}});
    EXPECT_FALSE(raw.isNotCarouselItem());
    EXPECT_FALSE(raw.alphabeticSectionKey());
    EXPECT_FALSE(MVSharedBookmarkCache::sharedCache()->bookmarkCache().count("RAW"));
    raw.setAttributeValues({{"title", nullptr}});
    EXPECT_FALSE(raw.title());
}

TEST_F(MVItemTest, DecodedRecordsFollowTheirData) {
    MVItem item;
    const Json video = {{"medium", "video"}, {"url", "https://cdn.example/a.m3u8"}};
    item.setGroupData(groupData(Json::array({video})));
    item.group();  // decoded; a new data text must not leave the old records
    item.setGroupData(groupData(Json::array({video, video})));
    EXPECT_EQ(item.group()->content().size(), 2u);
    item.updateFromJSON({{"groupData", groupData(Json::array())}});
    EXPECT_TRUE(item.group()->content().empty());

    for (const char* data : {"", "not json", "42", "{}"}) {
        item.setThumbnailsData(data);
        item.setTaglineData(data);
        EXPECT_TRUE(item.thumbnails().empty()) << data;
        EXPECT_EQ(item.tagline().has_value(), std::string(data) == "{}") << data;
    }
}

TEST_F(MVItemTest, Predicates) {
    using Predicate = bool (MVItem::*)() const;
    struct Case {
        Json values;
        Predicate predicate;
        bool expected;
    } cases[] = {
        {{{"keywords", "featured_Shelf"}}, &MVItem::isRecommendedShelf, true},
        {{{"keywords", "SERIES"}}, &MVItem::isSeriesItem, true},
        {{{"keywords", "RecentlyWatched"}}, &MVItem::isRecentlyWatched, true},
        {{{"keywords", "RecentlyWatched"}}, &MVItem::isShelf, true},
        {{{"keywords", "recently watched"}}, &MVItem::isRecentlyWatched, false},
        {{{"category", "My Watchlist"}}, &MVItem::isWatchlist, true},
        {{{"keywords", "watchlist"}}, &MVItem::isWatchlist, false},
        {{{"itemType", 1}}, &MVItem::isFolderType, true},
        {{{"itemType", 3}}, &MVItem::isFolderType, false},
        {{{"series", "S"}, {"episodeInSeason", 1}}, &MVItem::isEpisodeItem, true},
        {{{"series", ""}, {"episodeInSeason", 1}}, &MVItem::isEpisodeItem, false},
        {{{"series", "S"}, {"episodeInSeason", 0}}, &MVItem::isEpisodeItem, false},
        {{{"keywords", "Kids"}}, &MVItem::isKidsItem, true},
        {{{"category", "kids"}}, &MVItem::isKidsItem, false},
    };
    for (const auto& c : cases) {
        MVItem item;
        item.setAttributeValues(c.values);
        EXPECT_EQ((item.*c.predicate)(), c.expected) << c.values;
    }
}

TEST_F(MVItemTest, KidsCategoriesBeginWithTheLockableLabel) {
    MVItem item;
    item.setCategory("BARN/Djur");
    EXPECT_FALSE(item.isKidsItem());  // no lockable menu item yet

    auto lockable = std::make_shared<MVItem>();
    MVRootMenuEntries::shared()->setLockableItem(lockable);
    const std::pair<std::optional<std::string>, bool> labels[] = {
        {"BARN", true}, {"BARN/Djur", true}, {"barn", false}, {"Djur", false}, {"", false}, {std::nullopt, false},
    };
    for (const auto& [label, expected] : labels) {
        lockable->setAnalyticsLabel(label);
        EXPECT_EQ(item.isKidsItem(), expected) << label.value_or("(none)");
    }
}

TEST_F(MVItemTest, EpisodeTitleAndBookmarkPosition) {
    const std::tuple<Json, Json, Json, std::optional<std::string>> titles[] = {
        {"Title", "Short", "Ep", "Title"},
        {"", "Short", "Ep", "Short"},
        {nullptr, "", "Ep", "Ep"},
        {nullptr, nullptr, nullptr, std::nullopt},
    };
    for (const auto& [title, shortTitle, episode, expected] : titles) {
        MVItem item;
        item.setAttributeValues({{"title", title}, {"shortTitle", shortTitle}, {"episode", episode}});
        EXPECT_EQ(item.episodeTitle(), expected) << title << shortTitle << episode;
    }

    MVItem item;
    item.setBookmark(-5);
    EXPECT_EQ(item.bookmarkPosition(), 0u);
}

TEST_F(MVItemTest, WatchedShareComesFromTheBookmarkCache) {
    MVItem item;
    item.setGuid("T1");
    item.setGroupData(groupData(Json::array({{{"medium", "video"}, {"duration", 5400}}})));
    const std::tuple<std::optional<long long>, bool, bool> cases[] = {
        {std::nullopt, true, false}, {120, true, false},  {121, false, false},
        {5279, false, false},        {5280, false, true}, {6000, false, true},
    };
    for (const auto& [position, justStarted, almostCompleted] : cases) {
        MVSharedBookmarkCache::sharedCache()->resetCache();
        if (position) MVSharedBookmarkCache::sharedCache()->setBookmarkSeconds(*position, item);
        EXPECT_EQ(item.isJustStarted(), justStarted) << position.value_or(-1);
        EXPECT_EQ(item.isAlmostCompleted(), almostCompleted) << position.value_or(-1);
    }
    // Without a stream duration nothing is almost completed.
    MVItem noDuration;
    noDuration.setGuid("T1");
    noDuration.setGroupData(groupData(Json::array({{{"medium", "video"}}})));
    EXPECT_FALSE(noDuration.isAlmostCompleted());
}

TEST_F(MVItemTest, ContentIsChosenInFeedOrder) {
    auto content = [](const char* url, const char* medium, std::optional<std::string> profile) {
        Json c = {{"url", url}, {"medium", medium}};
        if (profile) c["profile"] = *profile;
        return c;
    };
    MVItem item;
    EXPECT_FALSE(item.movieMediaContentForType(MVMediaContentTypeHLSFairPlay));
    item.setGroupData(groupData(Json::array({
        content("audio", "audio", std::nullopt),
        content("smooth", "video", "mvtk-smooth-playready"),
        content("plain", "video", std::nullopt),
        content("fps", "video", "MVTK-HLS-FPS"),
        content("other", "video", "MVTK-DASH"),
    })));
    EXPECT_EQ(item.movieMediaContentForType(MVMediaContentTypeHLSFairPlay)->url(), "plain");
    EXPECT_EQ(item.movieMediaContentForType(MVMediaContentTypeSmoothPlayReady)->url(), "smooth");
    EXPECT_FALSE(item.movieMediaContentForType(static_cast<MVMediaContentType>(2)));

    item.setGroupData(groupData(Json::array({content("a", "audio", std::nullopt), content("fps", "video", "")})));
    EXPECT_EQ(item.movieMediaContentForType(MVMediaContentTypeHLSFairPlay)->url(), "fps");
}

TEST_F(MVItemTest, ImagesFallBackPerIdiom) {
    using Pictures = std::vector<std::pair<const char*, const char*>>;  // (profile, url)
    constexpr auto phone = UserInterfaceIdiom::Phone, pad = UserInterfaceIdiom::Pad;
    const char* none = nullptr;
    struct Case {
        UserInterfaceIdiom idiom;
        MVImageType type;
        Pictures group, own;
        const char* expected;
        // clang-format off
    } cases[] = {
        {phone, MVImageTypeThumb, {}, {{"TAVIK-POSTER", "https://i/p"}}, "https://i/p"},
        {pad, MVImageTypeThumb, {}, {{"TAVIK-THUMB", "https://i/t"}, {"MVTK-THUMB-448-252", "https://i/pad"}}, "https://i/pad"},
        {pad, MVImageTypeThumbDefault, {{"tavik-thumb", "https://i/g"}}, {{"TAVIK-THUMB", "https://i/o"}}, "https://i/g"},
        {pad, MVImageTypeThumbDefault, {{"TAVIK-THUMB", "not a url"}}, {{"TAVIK-THUMB", "https://i/o"}}, "https://i/o"},
        {pad, MVImageTypeBanner, {}, {{"TAVIK-POSTER", "https://i/p"}}, none},
        {phone, MVImageTypePosterLarge, {}, {{"MVTK-MOVIE-POSTER-640-360", "https://i/w"}}, "https://i/w"},
        {pad, MVImageTypePosterLarge, {}, {{"MVTK-MOVIE-POSTER-640-360", "https://i/w"}}, none},
        {phone, MVImageTypeCarousel, {}, {{"MVTK-MOVIE-CAROUSEL-640-268", "https://i/c"}}, "https://i/c"},
        {pad, static_cast<MVImageType>(42), {}, {{"TAVIK-POSTER", "https://i/p"}}, "https://i/p"},
    };
    // clang-format on
    auto list = [](const Pictures& pictures) {
        Json json = Json::array();
        for (const auto& [profile, url] : pictures) json.push_back({{"profile", profile}, {"url", url}});
        return json;
    };
    for (const auto& c : cases) {
        platform.device->idiom_ = c.idiom;
        MVItem item;
        item.setGroupData(groupData(Json::array(), list(c.group)));
        item.setThumbnailsData(list(c.own).dump());
        auto url = item.imageURLForType(c.type);
        EXPECT_EQ(url ? url->absoluteString() : "(none)", c.expected ? c.expected : "(none)")
            << "type " << c.type << (c.idiom == pad ? " on a tablet" : " on a phone");
    }
}

TEST_F(MVItemTest, ChromecastDictionaryRoundTrip) {
    CurrentRegionTenant::setTenant(MVRegionTenantTavik);
    MVItem item = seriesEpisode();
    const Json cast = item.chromecastDictionary();
    // What the receiver gets beyond copies: numbers as text, the tenant's language, the streams in feed order.
    EXPECT_EQ(cast["seasonNumber"], "1");
    EXPECT_EQ(cast["episodeNumber"], "3");
    EXPECT_EQ(cast["language"], "sv_mvtk");
    ASSERT_EQ(cast["videos"].size(), 3u);
    EXPECT_EQ(cast["videos"][2], Json({{"url", "https://cdn.example/ep1/master.m3u8"}, {"profile", "mvtk-hls-fps"}}));
    EXPECT_EQ(cast["subtitles"][1], Json({{"url", "https://cdn.example/ep1/en.vtt"}, {"language", "en"}}));

    MVItem detached;
    detached.populateWithChromecastDictionary(cast);
    EXPECT_EQ(detached.chromecastDictionary(), cast);
    // Kept decoded only: nothing is archived into the stored data.
    EXPECT_FALSE(detached.groupData());
    EXPECT_FALSE(detached.subtitleData());

    MVItem sparse;
    sparse.populateWithChromecastDictionary({{"guid", 5}, {"episodeNumber", "7"}, {"images", "none"}});
    EXPECT_EQ(sparse.guid(), "");
    EXPECT_EQ(sparse.episodeInSeason(), 7);
    EXPECT_TRUE(sparse.group()->thumbnails().empty());
}

}  // namespace
}  // namespace movra
