#include "Sections/MoviePlayer/MVMediaSelectionOptionHelper.h"

#include "App/MVDiscriminator.h"
#include "Foundation/Strings.h"
#include "Platform/Platform.h"

#include <algorithm>

namespace movra {

namespace {

constexpr const char* kTitleKey = "title";
constexpr const char* kCommonKeySpace = "comn";

bool isTitle(const MediaMetadataItem& item) { return item.key == kTitleKey && item.keySpace == kCommonKeySpace; }

/// "sv" of "sv-SE" or "sv_SE", lower-cased.
std::string primaryLanguage(std::string_view tag) { return toLower(tag.substr(0, tag.find_first_of("-_"))); }

}  // namespace

std::string MVMediaSelectionOptionHelper::mvtk_localizedDisplayName(const MediaSelectionOption& option) {
    std::vector<const MediaMetadataItem*> titles;
    for (const auto& item : option.commonMetadata)
        if (isTitle(item)) titles.push_back(&item);
    if (titles.empty()) return option.displayName;
    // The preferred languages in order: the first one that some title is written in wins.
    for (const auto& preferred : Platform::current().locale().preferredLanguages()) {
        auto match = std::find_if(titles.begin(), titles.end(), [&](const MediaMetadataItem* item) {
            return !item->language.empty() && primaryLanguage(item->language) == primaryLanguage(preferred);
        });
        if (match != titles.end()) return (*match)->stringValue;
    }
    return titles.front()->stringValue;
}

std::optional<std::string> MVMediaSelectionOptionHelper::mvtk_languageCode(const MediaSelectionOption& option) {
    if (option.localeLanguageCode.empty()) return std::nullopt;
    const std::string code = option.localeLanguageCode == "nb" ? "no" : option.localeLanguageCode;
    return MVDiscriminator::languageCodeForCurrentTenant(code);
}

std::optional<std::string> MVMediaSelectionOptionHelper::title(const MediaSelectionOption& option) {
    for (const auto& item : option.commonMetadata)
        if (isTitle(item)) return item.stringValue;
    return std::nullopt;
}

}  // namespace movra
