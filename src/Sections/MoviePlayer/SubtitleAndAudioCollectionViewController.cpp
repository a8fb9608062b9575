#include "Sections/MoviePlayer/SubtitleAndAudioCollectionViewController.h"

#include "Foundation/Localization.h"
#include "Foundation/Strings.h"
#include "Sections/MoviePlayer/MVMediaSelectionOptionHelper.h"

#include <map>

namespace movra {

namespace {

/// Each language as it names itself, capitalised as it capitalises itself.
const std::map<std::string, std::string>& endonyms() {
    static const std::map<std::string, std::string> names = {
        {"ar", "العربية"},         {"bs", "Bosanski"},   {"cs", "Čeština"},       {"da", "Dansk"},
        {"de", "Deutsch"},         {"el", "Ελληνικά"},   {"en", "English"},       {"es", "Español"},
        {"et", "Eesti"},           {"fa", "فارسی"},      {"fi", "Suomi"},         {"fo", "Føroyskt"},
        {"fr", "Français"},        {"he", "עברית"},      {"hi", "हिन्दी"},         {"hr", "Hrvatski"},
        {"hu", "Magyar"},          {"is", "Íslenska"},   {"it", "Italiano"},      {"ja", "日本語"},
        {"kl", "Kalaallisut"},     {"ko", "한국어"},     {"lt", "Lietuvių"},      {"lv", "Latviešu"},
        {"nb", "Norsk bokmål"},    {"nl", "Nederlands"}, {"nn", "Norsk nynorsk"}, {"no", "Norsk"},
        {"pl", "Polski"},          {"pt", "Português"},  {"ro", "Română"},        {"ru", "Русский"},
        {"se", "Davvisámegiella"}, {"sk", "Slovenčina"}, {"sl", "Slovenščina"},   {"so", "Soomaali"},
        {"sq", "Shqip"},           {"sr", "Српски"},     {"sv", "Svenska"},       {"th", "ไทย"},
        {"tr", "Türkçe"},          {"uk", "Українська"}, {"zh", "中文"},
    };
    return names;
}

std::string withoutTenantSuffix(std::string code) {
    for (std::string_view suffix : {"_mvtk", "_movrasolara"})
        if (endsWith(code, suffix)) code.resize(code.size() - suffix.size());
    return code;
}

SubtitleAndAudioEntry noSubtitles() { return {MVLocalizedString("None"), "", std::nullopt, std::nullopt}; }

}  // namespace

SubtitleAndAudioCollectionViewController::SubtitleAndAudioCollectionViewController(
    std::vector<SubtitleAndAudioEntry> subtitles, std::vector<SubtitleAndAudioEntry> audioTracks,
    std::string selectedSubtitle, std::string selectedAudioTrack)
    : availableSubtitles_(std::move(subtitles)),
      availableAudioTracks_(std::move(audioTracks)),
      selectedSubtitle_(std::move(selectedSubtitle)),
      // With one track there is nothing to choose: it is the one playing, whatever was remembered.
      selectedAudioTrack_(availableAudioTracks_.size() == 1 ? availableAudioTracks_.front().key
                                                            : std::move(selectedAudioTrack)) {}

std::shared_ptr<SubtitleAndAudioCollectionViewController>
SubtitleAndAudioCollectionViewController::makeWithSubtitleAVMediaOptions(
    const std::vector<MediaSelectionOption>& subtitleOptions,
    const std::vector<MediaSelectionOption>& audioTrackOptions, const std::string& selectedSubtitle,
    const std::string& selectedAudioTrack) {
    std::vector<SubtitleAndAudioEntry> subtitles{noSubtitles()}, audio;
    for (const auto& option : subtitleOptions)
        subtitles.push_back({MVMediaSelectionOptionHelper::mvtk_localizedDisplayName(option),
                             MVMediaSelectionOptionHelper::mvtk_languageCode(option).value_or(""), std::nullopt,
                             std::nullopt});
    for (const auto& option : audioTrackOptions)
        audio.push_back({MVMediaSelectionOptionHelper::mvtk_localizedDisplayName(option),
                         MVMediaSelectionOptionHelper::title(option).value_or(option.displayName), std::nullopt,
                         std::nullopt});
    return std::shared_ptr<SubtitleAndAudioCollectionViewController>(new SubtitleAndAudioCollectionViewController(
        std::move(subtitles), std::move(audio), selectedSubtitle, selectedAudioTrack));
}

std::shared_ptr<SubtitleAndAudioCollectionViewController>
SubtitleAndAudioCollectionViewController::makeWithItemMediaSubtitles(const std::vector<MVMediaSubtitle>& subtitles,
                                                                     const std::vector<MVMediaAudioTrack>& audioTracks,
                                                                     const std::string& selectedSubtitle,
                                                                     const std::string& selectedAudioTrack) {
    std::vector<SubtitleAndAudioEntry> subtitleEntries{noSubtitles()}, audio;
    for (const auto& subtitle : subtitles) {
        const std::string code = subtitle.lang().value_or("");
        subtitleEntries.push_back({displayNameForLanguageCode(code), code, std::nullopt, std::nullopt});
    }
    for (const auto& track : audioTracks) {
        const std::string name = track.name().value_or("");
        audio.push_back({name, name, track.lang(), track.enabled()});
    }
    return std::shared_ptr<SubtitleAndAudioCollectionViewController>(new SubtitleAndAudioCollectionViewController(
        std::move(subtitleEntries), std::move(audio), selectedSubtitle, selectedAudioTrack));
}

std::string SubtitleAndAudioCollectionViewController::displayNameForLanguageCode(const std::string& code) {
    const std::string bare = withoutTenantSuffix(code);
    const std::string primary = toLower(bare.substr(0, bare.find_first_of("-_")));
    auto known = endonyms().find(primary);
    return known == endonyms().end() ? bare : known->second;
}

std::string SubtitleAndAudioCollectionViewController::describe() const {
    std::string text = "Subtitles:";
    for (const auto& entry : availableSubtitles_)
        text += (entry.key == selectedSubtitle_ ? " [" : " ") + entry.displayName +
                (entry.key == selectedSubtitle_ ? "]" : "");
    text += "\nAudio:";
    for (const auto& entry : availableAudioTracks_)
        text += (entry.key == selectedAudioTrack_ ? " [" : " ") + entry.displayName +
                (entry.key == selectedAudioTrack_ ? "]" : "");
    return text;
}

int SubtitleAndAudioCollectionViewController::numberOfSections(bool landscape) const {
    return availableAudioTracks_.empty() || landscape ? 1 : 2;
}

bool SubtitleAndAudioCollectionViewController::selectSubtitleAtIndex(std::size_t index) {
    if (index >= availableSubtitles_.size()) return false;
    selectedSubtitle_ = availableSubtitles_[index].key;
    return true;
}

bool SubtitleAndAudioCollectionViewController::selectAudioTrackAtIndex(std::size_t index) {
    if (index >= availableAudioTracks_.size()) return false;
    selectedAudioTrack_ = availableAudioTracks_[index].key;
    return true;
}

void SubtitleAndAudioCollectionViewController::doneTapped() {
    auto keep = shared_from_this();
    if (auto target = subtitleAudioDelegate())
        target->subtitleAndAudioViewControllerDidSelect(*this, selectedSubtitle_, selectedAudioTrack_);
}

}  // namespace movra
