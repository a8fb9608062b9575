// The subtitle and audio picker: its lists from the engine's options or the title's records, the
// selection rules, language names and the report of a choice.
#include "Sections/MoviePlayer/SubtitleAndAudioCollectionViewController.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

MediaSelectionOption option(const std::string& name, const std::string& language) {
    return {name + "-" + language, name, language, {{"title", "comn", name, language}}};
}

struct ChoiceRecorder final : SubtitleAndAudioCollectionViewControllerDelegate {
    void subtitleAndAudioViewControllerDidSelect(SubtitleAndAudioCollectionViewController&, const std::string& s,
                                                 const std::string& a) override {
        choices.emplace_back(s, a);
    }
    std::vector<std::pair<std::string, std::string>> choices;
};

TEST(SubtitleAndAudioCollectionViewControllerTest, LanguagesAreNamedInThemselvesWithoutTheTenantSuffix) {
    for (const auto& [code, name] : std::vector<std::pair<std::string, std::string>>{{"da_mvtk", "Dansk"},
                                                                                     {"sv", "Svenska"},
                                                                                     {"no_movrasolara", "Norsk"},
                                                                                     {"fi-FI", "Suomi"},
                                                                                     {"es", "Español"},
                                                                                     {"xx_mvtk", "xx"},
                                                                                     {"", ""}})
        EXPECT_EQ(SubtitleAndAudioCollectionViewController::displayNameForLanguageCode(code), name) << code;
}

TEST(SubtitleAndAudioCollectionViewControllerTest, DeviceListsStartWithNoneAndOneAudioTrackIsAlwaysTheChoice) {
    test::TestPlatform env;
    auto picker = SubtitleAndAudioCollectionViewController::makeWithSubtitleAVMediaOptions(
        {option("Svenska", "sv"), option("Norsk", "nb")}, {option("English", "en")}, "no", "Svenska");
    ASSERT_EQ(picker->availableSubtitles().size(), 3u);
    EXPECT_EQ(picker->availableSubtitles()[0].key, "");
    EXPECT_EQ(picker->availableSubtitles()[0].displayName, "None");
    // Norwegian Bokmål options go by the service's code for Norwegian.
    EXPECT_EQ(picker->availableSubtitles()[2].key, "no");
    EXPECT_EQ(picker->selectedSubtitle(), "no");
    EXPECT_EQ(picker->selectedAudioTrack(), "English");
    EXPECT_EQ(picker->numberOfSections(/*landscape=*/false), 2);
    EXPECT_EQ(picker->numberOfSections(/*landscape=*/true), 1);

    auto recorder = std::make_shared<ChoiceRecorder>();
    picker->setSubtitleAudioDelegate(recorder);
    EXPECT_TRUE(picker->selectSubtitleAtIndex(0));
    EXPECT_FALSE(picker->selectSubtitleAtIndex(3));
    EXPECT_FALSE(picker->selectAudioTrackAtIndex(1));
    picker->doneTapped();
    EXPECT_EQ(recorder->choices, (std::vector<std::pair<std::string, std::string>>{{"", "English"}}));
}

TEST(SubtitleAndAudioCollectionViewControllerTest, ReceiverListsComeFromTheTitlesRecords) {
    auto subtitle = MVMediaSubtitle(Json{{"lang", "da_mvtk"}, {"url", "https://x/da.vtt"}});
    auto dub = MVMediaAudioTrack(Json{{"name", "Dansk tale"}, {"lang", "dan"}, {"enabled", true}});
    auto original = MVMediaAudioTrack(Json{{"name", "Original"}, {"lang", "eng"}});
    auto picker = SubtitleAndAudioCollectionViewController::makeWithItemMediaSubtitles({subtitle}, {dub, original}, "",
                                                                                       "Original");
    ASSERT_EQ(picker->availableSubtitles().size(), 2u);
    EXPECT_EQ(picker->availableSubtitles()[1], (SubtitleAndAudioEntry{"Dansk", "da_mvtk", std::nullopt, std::nullopt}));
    EXPECT_EQ(picker->availableAudioTracks()[0], (SubtitleAndAudioEntry{"Dansk tale", "Dansk tale", "dan", true}));
    EXPECT_EQ(picker->selectedAudioTrack(), "Original");
    EXPECT_EQ(picker->selectedSubtitle(), "");

    auto silent = SubtitleAndAudioCollectionViewController::makeWithItemMediaSubtitles({subtitle}, {}, "da_mvtk", "");
    EXPECT_EQ(silent->numberOfSections(/*landscape=*/false), 1);
}

}  // namespace
}  // namespace movra
