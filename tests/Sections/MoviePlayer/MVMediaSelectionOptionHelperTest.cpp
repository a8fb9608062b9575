// The names and language codes of renditions as the track picker shows and stores them.
#include "App/MVDiscriminator.h"
#include "Sections/MoviePlayer/MVMediaSelectionOptionHelper.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

MediaMetadataItem titleIn(std::string language, std::string text) {
    return {"title", "comn", std::move(text), std::move(language)};
}

TEST(MVMediaSelectionOptionHelperTest, DisplayNamePrefersTheUsersLanguages) {
    test::TestPlatform env;  // preferred languages: sv-SE, en
    struct Case {
        const char* name;
        std::vector<MediaMetadataItem> metadata;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"no titles", {{"artist", "comn", "Someone", "sv"}}, "Own name"},
        {"Swedish first", {titleIn("en", "English"), titleIn("sv", "Engelska")}, "Engelska"},
        {"English when no Swedish", {titleIn("fi", "Englanti"), titleIn("en-GB", "English")}, "English"},
        {"first title when none matches", {titleIn("fi", "Englanti"), titleIn("da", "Engelsk")}, "Englanti"},
        {"titles of another key space ignored", {{"title", "mdta", "Other", "sv"}}, "Own name"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MediaSelectionOption option{"id", "Own name", "en", c.metadata};
        EXPECT_EQ(MVMediaSelectionOptionHelper::mvtk_localizedDisplayName(option), c.expected);
    }
}

TEST(MVMediaSelectionOptionHelperTest, LanguageCodeAndTitle) {
    test::TestPlatform env;
    MediaSelectionOption norwegian{"id", "Norsk", "nb", {{"title", "comn", "Norsk", "nb"}}};
    EXPECT_EQ(MVMediaSelectionOptionHelper::mvtk_languageCode(norwegian),
              MVDiscriminator::languageCodeForCurrentTenant("no"));
    EXPECT_EQ(MVMediaSelectionOptionHelper::title(norwegian), "Norsk");

    MediaSelectionOption unnamed{"id", "Track 2", "", {{"title", "mdta", "x", ""}}};
    EXPECT_FALSE(MVMediaSelectionOptionHelper::mvtk_languageCode(unnamed));
    EXPECT_FALSE(MVMediaSelectionOptionHelper::title(unnamed));
}

}  // namespace
}  // namespace movra
