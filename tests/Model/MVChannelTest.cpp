// The channel dictionary of a feed document, the ttl and date readings, and the channel's attributes. (Documents
// that are no catalogue page are tried by CatalogueImportTest.)
#include "Model/CatalogueFixtures.h"
#include "Model/MVChannel.h"
#include "Utilities/CurrentRegionTenant.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

class MVChannelTest : public ::testing::Test {
  protected:
    void SetUp() override { CurrentRegionTenant::setTenant(MVRegionTenantTavik); }

    double now() const { return std::chrono::duration<double>(platform.manualClock->now().time_since_epoch()).count(); }

    test::TestPlatform platform;
};

// Data fields hold JSON text; compare what they say.
Json withDataDecoded(Json item) {
    for (auto& [key, value] : item.items())
        if (key.ends_with("Data") && value.is_string()) value = Json::parse(value.get<std::string>());
    return item;
}

TEST_F(MVChannelTest, FeedDocumentBecomesTheChannelDictionary) {
    Json d = test::channelDictionary(test::kSeriesFeed);

    // The channel's values that reading derives; the rest are copied element texts.
    EXPECT_EQ(d["channelID"], "SERIES-4711");
    EXPECT_EQ(d["userLanguage"], "sv_mvtk");

    ASSERT_EQ(d["items"].size(), 2u);
    // The item's values where reading does more than copy an element's text.
    const Json item = withDataDecoded(d["items"][0]);
    const std::pair<const char*, Json> read[] = {
        {"/itemType", 3},
        {"/isInWatchlist", 1},
        {"/bookmark", "754"},
        {"/navigationalGUID", ""},
        {"/itemID", "SERIES-4711-EP-1"},
        {"/thumbnailsData/0/width", 448},
        {"/thumbnailsData/1/width", nullptr},
        {"/subtitleData/0/profile", "WEBVTT"},
        {"/ratingsData/1", {{"scheme", "urn:se-rating"}, {"ratingValue", "11"}}},
        {"/creditsData/1/value", "Erik Lund"},
        {"/groupData/content/1/status", "active"},
        {"/groupData/content/2/bitrate", 6000},
        {"/groupData/thumbnails/0/profile", "MVTK-MOVIE-BANNER-640-257"},
        {"/taglineData", {{"position", 32}, {"color", "#FF8800"}, {"line1", "Nytt"}, {"line2", "avsnitt"}}},
    };
    for (const auto& [pointer, expected] : read)
        EXPECT_EQ(item.value(Json::json_pointer(pointer), Json("(missing)")), expected) << pointer;
    EXPECT_FALSE(item.contains("valid"));  // an element we do not read
    // Nothing is made up for what the second item leaves out, but its watchlist flag is known.
    EXPECT_EQ(d["items"][1].size(), 6u);
    EXPECT_EQ(d["items"][1]["isInWatchlist"], 0);
}

// A longer page is mapped partly on another thread; once mapped, nothing there may still hold the document,
// or it could be freed on that thread after its owner is gone (at exit, while libxml2 is torn down).
class MVChannelConcurrencyTest : public MVChannelTest {};

TEST_F(MVChannelConcurrencyTest, APageMappedOnTwoThreadsLeavesTheDocumentToItsCaller) {
    std::string feed = "<rss><channel><guid>CH</guid>";
    for (int i = 0; i < 40; ++i) feed += "<item><guid>G" + std::to_string(i) + "</guid></item>";
    feed += "</channel></rss>";
    for (int round = 0; round < 50; ++round) {
        auto document = XMLDocument::parse(feed);
        std::weak_ptr<const XMLDocument> watched = document;
        auto dictionary = MVChannel::dictionaryFromDocument(document);
        ASSERT_TRUE(dictionary);
        ASSERT_EQ((*dictionary)["items"].size(), 40u);
        document.reset();
        ASSERT_TRUE(watched.expired()) << "round " << round;
    }
}

TEST_F(MVChannelTest, TtlIsMinutesWithAShortDefault) {
    const std::pair<std::string, double> cases[] = {
        {"<ttl>15</ttl>", 900}, {"<ttl>1.5</ttl>", 90}, {"<ttl></ttl>", 2}, {"<ttl>0</ttl>", 2}, {"", 2},
    };
    for (const auto& [element, seconds] : cases) {
        Json d = test::channelDictionary("<rss><channel><guid>G</guid>" + element + "</channel></rss>");
        EXPECT_EQ(d["ttlExpiration"], now() + seconds) << element;
    }
    // Read at import time: the clock moves, the expiry with it.
    platform.advance(60);
    EXPECT_EQ(test::channelDictionary("<rss><channel><guid>G</guid></channel></rss>")["ttlExpiration"], now() + 2);
}

TEST_F(MVChannelTest, FeedDatesAreReadInUTC) {
    constexpr double march1Noon = 1425211200;  // 2015-03-01 12:00:00 UTC
    constexpr double before = 1;
    const std::pair<Json, double> cases[] = {
        {"2015-03-01T12:00:00UTC", march1Noon},
        {"2015-03-01T12:00:00Z", march1Noon},
        {"2015-03-01T13:00:00GMT+1", march1Noon},
        {"2015-03-01T13:30:00UTC+01:30", march1Noon},
        {"2015-03-01T07:00:00-05:00", march1Noon},
        {"2016-02-29T00:00:00UTC", 1456704000},
        {march1Noon, march1Noon},
        // Not of the pattern: the attribute keeps its value.
        {"2015-02-29T00:00:00UTC", before},
        {"2015-03-01T24:00:00UTC", before},
        {"2015-03-01T12:00:00", before},
        {"2015-3-01T12:00:00UTC", before},
        {"2015-03-01T12:00:00UTC+25", before},
        {nullptr, before},
    };
    for (const auto& [text, expected] : cases) {
        MVChannel channel;
        channel.setPubDate(before);
        channel.updateFromJSON({{"pubDate", text}});
        EXPECT_EQ(channel.pubDate(), expected) << text;
    }
}

}  // namespace
}  // namespace movra
