// The rules inside the media sub-records: tagline anchors and colours, the bookmark of a price, ratings that
// mean none, and the dubbing message of a cast audio track.
#include "Model/MVMediaAudioTrack.h"
#include "Model/MVMediaPrice.h"
#include "Model/MVMediaRating.h"
#include "Model/MVTagline.h"
#include "Utilities/MVXMLDictonarySerializer.h"
#include "Utilities/XMLDocument.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

// Read from a "stravo:tagline" element, as the feed import reads it.
MVTagline tagline(const std::string& children) {
    auto document = XMLDocument::parse(R"(<stravo:tagline xmlns:stravo="urn:s">)" + children + "</stravo:tagline>");
    auto dictionary = MVXMLDictonarySerializer::dictionaryFromNode(document->rootElement(), MVTagline::modelClass());
    EXPECT_TRUE(dictionary) << children;
    return MVTagline(dictionary.value_or(Json::object()));
}

TEST(MVTaglineTest, PositionTextsAnchorTheLinesAndColourIsHexadecimalRGB) {
    test::TestPlatform platform;
    using C = MVTagline::Color;
    const std::tuple<std::string, int, int, C> cases[] = {
        {"<position>Upper Right</position><color>#FF8800</color>", 0, 2, {1, 0x88 / 255.0, 0, 1}},
        {"<position>upper left</position><color>00ff00</color>", 0, 0, {0, 1, 0, 1}},
        {"<position>MIDDLE CENTER</position><color>white</color>", 1, 1, {0, 0, 0, 1}},
        {"<position>Lower Left</position><color>#</color>", 2, 0, {0, 0, 0, 1}},
        {"<line1>Nytt</line1>", 2, 1, {0, 0, 0, 1}},
    };
    for (const auto& [children, vertical, horizontal, color] : cases) {
        const auto line = tagline(children);
        EXPECT_EQ(line.verticalPosition(), vertical) << children;
        EXPECT_EQ(line.horizontalPosition(), horizontal) << children;
        EXPECT_EQ(line.textColor(), color) << children;
    }
}

TEST(MVMediaPriceTest, BookmarkSecondsFromInfo) {
    const std::pair<Json, std::optional<long long>> cases[] = {
        {"bookmark=754s", 754},        {"a=1;bookmark=30s;bookmark=45s", 45}, {"bookmark=12", 12},
        {"Bookmark=5s", std::nullopt}, {" bookmark=5s", std::nullopt},        {nullptr, std::nullopt},
    };
    for (const auto& [info, seconds] : cases) {
        Json dictionary = {{"type", "rent"}};
        if (!info.is_null()) dictionary["info"] = info;
        EXPECT_EQ(MVMediaPrice(dictionary).bookmarkSeconds(), seconds) << info;
    }
}

TEST(MVMediaRatingTest, UnratedValuesIgnoreCase) {
    const std::pair<std::optional<std::string>, bool> cases[] = {
        {"Unrated", true}, {"nr", true},     {"NR-ADULT", true}, {"xxx", true},        {"11", false},
        {"PG-13", false},  {"NR-17", false}, {"", false},        {std::nullopt, true},
    };
    for (const auto& [value, unrated] : cases) {
        MVMediaRating rating(value ? Json{{"scheme", "urn:mpaa"}, {"ratingValue", *value}}
                                   : Json{{"scheme", "urn:mpaa"}});
        EXPECT_EQ(rating.isUnrated(), unrated) << value.value_or("(none)");
    }
}

TEST(MVMediaAudioTrackTest, ReceiverKeysAndDubbingMessage) {
    auto track = MVMediaAudioTrack::modelWithChromecastDictionary(
        {{"language", "sv"}, {"name", "Svenska \"original\""}, {"streamIndex", 2}, {"enabled", false}, {"x", 1}});
    EXPECT_EQ(track.lang(), "sv");  // the receiver's "language"
    EXPECT_FALSE(track.dictionaryValue().contains("x"));
    EXPECT_EQ(Json::parse(track.chromecastDubbingJSON())["audioTrack"], "Svenska \"original\"");
}

}  // namespace
}  // namespace movra
