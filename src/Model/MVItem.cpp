// MVItem: feed mapping, import rules, sub-records, predicates and lookups of catalogue items.
#include "Model/MVItem.h"

#include "Foundation/Strings.h"
#include "Model/AttributeTable.h"
#include "Model/AttributeValues.h"
#include "Model/MVRootMenuEntries.h"
#include "Model/MVSharedBookmarkCache.h"
#include "Model/ProfileManager.h"
#include "Platform/Platform.h"
#include "Utilities/MVTavikLocale.h"
#include "Utilities/MVXMLDictonarySerializer.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>

namespace movra {

namespace {

using S = MVXMLDictonarySerializer;

// A keyword of either marks kids content.
constexpr std::array<const char*, 2> kKidsKeywords{"kids", "kids_display"};

MVItemType itemTypeFromText(const std::string& text) {
    static const std::map<std::string, MVItemType> types{
        {"folder", MVItemTypeFolder},       {"category", MVItemTypeFolder}, {"leaf", MVItemTypeLeaf},
        {"media", MVItemTypeMedia},         {"search", MVItemTypeSearch},   {"settings", MVItemTypeSettings},
        {"identity", MVItemTypeIdentity},   {"saved", MVItemTypeSaved},     {"external", MVItemTypeExternal},
        {"billboard", MVItemTypeBillboard},
    };
    auto it = types.find(toLower(text));
    return it == types.end() ? MVItemTypeUnknown : it->second;
}

// Sub-records are kept as the JSON text of what their mapping gives.
XMLTransformer archived(XMLTransformer transformer) {
    return [transformer = std::move(transformer)](const std::vector<XMLNode>& nodes) -> std::optional<Json> {
        auto value = transformer(nodes);
        if (!value) return std::nullopt;
        return compactText(*value);
    };
}

// The first character of a name upper-cased, "#" for a digit. Titles in the catalogue's languages begin
// with Latin-1 letters too (Å, Ö, É); other characters are kept as they are.
std::string sectionKeyForName(std::string_view name) {
    const auto lead = static_cast<unsigned char>(name.front());
    if (std::isdigit(lead)) return "#";
    if (lead < 0x80) return toUpper(name.substr(0, 1));
    if ((lead & 0xE0) == 0xC0 && name.size() >= 2) {
        char32_t c = ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(name[1]) & 0x3Fu);
        if (c >= 0xE0 && c <= 0xFE && c != 0xF7) c -= 0x20;
        return {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
    }
    const std::size_t length = (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 1;
    return std::string(name.substr(0, length));
}

bool sameIgnoringCase(std::string_view a, std::string_view b) { return toLower(a) == toLower(b); }

std::shared_ptr<MVItem> lockableItem() { return MVRootMenuEntries::shared()->lockableItem(); }

struct ImageProfile {
    const char* tablet;
    const char* phone;
    MVImageType fallback;
};

const ImageProfile& imageProfile(MVImageType type) {
    static const ImageProfile profiles[] = {
        {"MVTK-THUMB-448-252", "TAVIK-THUMB", MVImageTypeThumbDefault},
        {"MVTK-MOVIE-BANNER-720-290", "MVTK-MOVIE-BANNER-640-257", MVImageTypeBannerDefault},
        {"MVTK-MOVIE-POSTER-720-405", "MVTK-MOVIE-POSTER-640-360", MVImageTypePosterDefault},
        {"TAVIK-POSTER-LARGE", "TAVIK-POSTER-LARGE", MVImageTypePoster},
        {"TAVIK-SEASONAL-HUG", "TAVIK-SEASONAL-HUG", MVImageTypeSeasonalHug},
        {"TAVIK-CAROUSEL", "MVTK-MOVIE-CAROUSEL-640-268", MVImageTypeCarouselDefault},
        {"TAVIK-THUMB", "TAVIK-THUMB", MVImageTypeThumbDefault},
        {"TAVIK-BANNER", "TAVIK-BANNER", MVImageTypeBannerDefault},
        {"TAVIK-POSTER", "TAVIK-POSTER", MVImageTypePosterDefault},
        {"TAVIK-CAROUSEL", "TAVIK-CAROUSEL", MVImageTypeCarouselDefault},
    };
    const bool listed = type >= MVImageTypeThumb && type <= MVImageTypeCarouselDefault;
    return profiles[listed ? type : MVImageTypePosterDefault];
}

// The list under `key` of a cast dictionary; empty when there is none.
Json listForKey(const Json& dictionary, std::string_view key) {
    auto it = dictionary.is_object() ? dictionary.find(key) : dictionary.end();
    return it != dictionary.end() && it->is_array() ? *it : Json::array();
}

}  // namespace

const XMLModelClass& MVItem::modelClass() {
    static const XMLModelClass cls{
        .name = "MVItem",
        .XPathPrefix = "self::item/",
        .XMLKeyPathsByPropertyKey = {{"itemType", "stravo:itemType"},
                                     {"analyticsLabel", "stravo:analyticsLabel"},
                                     {"bookmark", "stravo:bookmark"},
                                     {"suggestions", "stravo:suggestions"},
                                     {"title", "title"},
                                     {"houseId", "houseId"},
                                     {"itemDescription", "description"},
                                     {"isInWatchlist", "stravo:savedAsset"},
                                     {"link", "link"},
                                     {"guid", "guid"},
                                     {"navigationalGUID", "stravo:shortcutToGuid"},
                                     {"keywords", "media:keywords"},
                                     {"thumbnailsData", "media:thumbnail"},
                                     {"category", "category"},
                                     {"mediaStatus", "media:status"},
                                     {"parentURI", "stravo:parentFolderUri"},
                                     {"parentGUID", "stravo:parentGuid"},
                                     {"shortTitle", "stravo:shortTitle"},
                                     {"episode", "stravo:episode"},
                                     {"series", "stravo:series"},
                                     {"season", "stravo:season"},
                                     {"subtitleData", "media:subTitle"},
                                     {"episodeInSeries", "stravo:episodeInSeries"},
                                     {"episodeInSeason", "stravo:episodeInSeason"},
                                     {"ratingsData", "media:rating"},
                                     {"creditsData", "media:credit"},
                                     {"pricesData", "media:price"},
                                     {"groupData", "media:group"},
                                     {"taglineData", "stravo:tagline"},
                                     {"titleSortName", "stravo:titleSortName"}},
        .propertyTransformers =
            {{"itemType",
              [](const std::vector<XMLNode>& nodes) -> std::optional<Json> {
                  return static_cast<std::int32_t>(nodes.empty() ? MVItemTypeUnknown
                                                                 : itemTypeFromText(nodes.front().stringValue()));
              }},
             {"isInWatchlist",
              [](const std::vector<XMLNode>& nodes) -> std::optional<Json> {
                  return !nodes.empty() && containsStringCaseInsensitive(nodes.front().stringValue(), "true") ? 1 : 0;
              }},
             {"thumbnailsData", archived(S::XMLArrayTransformerWithModelClass(MVThumbnail::modelClass()))},
             {"subtitleData", archived(S::XMLArrayTransformerWithModelClass(MVMediaSubtitle::modelClass()))},
             {"ratingsData", archived(S::XMLArrayTransformerWithModelClass(MVMediaRating::modelClass()))},
             {"creditsData", archived(S::XMLArrayTransformerWithModelClass(MVMediaCredit::modelClass()))},
             {"pricesData", archived(S::XMLArrayTransformerWithModelClass(MVMediaPrice::modelClass()))},
             {"groupData", archived(S::XMLTransformerWithModelClass(MVMediaGroup::modelClass()))},
             {"taglineData", archived(S::XMLTransformerWithModelClass(MVTagline::modelClass()))}},
        // An item the feed does not mark as saved is not on the watchlist, even if it was before.
        .updateCalculatedValuesFromDictionary =
            [](Json item) {
                if (!item.contains("isInWatchlist")) item["isInWatchlist"] = 0;
                return item;
            },
    };
    return cls;
}

const AttributeTable<MVItem>& MVItem::table() {
    using Kind = EntityAttribute::Kind;
    using Table = AttributeTable<MVItem>;
    static const Table table({
        {{"itemID", Kind::Text}, &MVItem::itemID_},
        {{"guid", Kind::Text}, &MVItem::guid_},
        {{"navigationalGUID", Kind::Text}, &MVItem::navigationalGUID_},
        {{"parentGUID", Kind::Text}, &MVItem::parentGUID_},
        {{"parentURI", Kind::Text}, &MVItem::parentURI_},
        {{"link", Kind::Text}, &MVItem::link_},
        {{"title", Kind::Text}, &MVItem::title_},
        {{"shortTitle", Kind::Text}, &MVItem::shortTitle_},
        {{"titleSortName", Kind::Text}, &MVItem::titleSortName_},
        {{"alphabeticSectionKey", Kind::Text}, &MVItem::alphabeticSectionKey_},
        {{"itemDescription", Kind::Text}, &MVItem::itemDescription_},
        {{"itemType", Kind::Integer}, &MVItem::itemType_},
        {{"category", Kind::Text}, &MVItem::category_},
        {{"keywords", Kind::Text}, &MVItem::keywords_},
        {{"analyticsLabel", Kind::Text}, &MVItem::analyticsLabel_},
        {{"houseId", Kind::Text}, &MVItem::houseId_},
        {{"mediaStatus", Kind::Text}, &MVItem::mediaStatus_},
        {{"series", Kind::Text}, &MVItem::series_},
        {{"season", Kind::Text}, &MVItem::season_},
        {{"episode", Kind::Text}, &MVItem::episode_},
        {{"episodeInSeason", Kind::Integer}, &MVItem::episodeInSeason_},
        {{"episodeInSeries", Kind::Integer}, &MVItem::episodeInSeries_},
        {{"bookmark", Kind::Integer}, &MVItem::bookmark_},
        {{"isInWatchlist", Kind::Boolean}, &MVItem::isInWatchlist_},
        {{"isNotCarouselItem", Kind::Integer}, &MVItem::isNotCarouselItem_},
        {{"indexInChannel", Kind::Integer}, &MVItem::indexInChannel_},
        {{"suggestions", Kind::Text}, &MVItem::suggestions_},
        {{"groupData", Kind::Data}, &MVItem::groupData_},
        {{"thumbnailsData", Kind::Data}, &MVItem::thumbnailsData_},
        {{"creditsData", Kind::Data}, &MVItem::creditsData_},
        {{"ratingsData", Kind::Data}, &MVItem::ratingsData_},
        {{"pricesData", Kind::Data}, &MVItem::pricesData_},
        {{"subtitleData", Kind::Data}, &MVItem::subtitleData_},
        {{"taglineData", Kind::Data}, &MVItem::taglineData_},
        {{"audioTracks", Kind::Data},
         Table::Accessors{[](const MVItem& item) -> Json {
                              if (item.audioTracks_.empty()) return nullptr;
                              Json list = Json::array();
                              for (const auto& track : item.audioTracks_) list.push_back(track.dictionaryValue());
                              return list.dump();
                          },
                          [](MVItem& item, const Json& value) {
                              item.audioTracks_ = DictionaryRecord::recordsFromArray<MVMediaAudioTrack>(
                                  value.is_string() ? DictionaryRecord::jsonFromData(value.get<std::string>()) : value);
                          }}},
    });
    return table;
}

const std::vector<EntityAttribute>& MVItem::attributes() { return table().attributes(); }

Json MVItem::attributeValues() const { return table().values(*this); }

Json MVItem::attributeValue(const std::string& name) const { return table().value(*this, name); }

void MVItem::setAttributeValues(const Json& values) {
    table().setValues(*this, values, AttributeTable<MVItem>::NullMarker::Clears);
    dropDecodedRecords();
}

void MVItem::bindAttributeValues(SQLiteStatement& statement, int firstIndex) const {
    table().bindValues(*this, statement, firstIndex);
}

void MVItem::setAttributeValuesFromRow(const SQLiteStatement& row) {
    table().setValues(*this, row);
    dropDecodedRecords();
}

void MVItem::updateFromJSON(const Json& dictionary) {
    table().setValues(*this, dictionary, AttributeTable<MVItem>::NullMarker::Skipped);
    dropDecodedRecords();
    didImportJSON();
}

void MVItem::didImportJSON() {
    updateIsNotCarouselItem();
    if (isEmpty(navigationalGUID_)) navigationalGUID_ = guid_;
    updateAlphabeticSectionKey();
    if (bookmark_) MVSharedBookmarkCache::sharedCache()->setBookmarkSeconds(*bookmark_, *this);
}

void MVItem::setTitleSortName(std::optional<std::string> value) {
    titleSortName_ = std::move(value);
    updateAlphabeticSectionKey();
}

void MVItem::setKeywords(std::optional<std::string> value) {
    keywords_ = std::move(value);
    updateIsNotCarouselItem();
}

void MVItem::setGroupData(std::optional<std::string> value) {
    groupData_ = std::move(value);
    decodedGroup_.reset();
}

void MVItem::setThumbnailsData(std::optional<std::string> value) {
    thumbnailsData_ = std::move(value);
    decodedThumbnails_.reset();
}

void MVItem::setSubtitleData(std::optional<std::string> value) {
    subtitleData_ = std::move(value);
    decodedSubtitles_.reset();
}

void MVItem::updateIsNotCarouselItem() { isNotCarouselItem_ = isCarousel() ? 0 : 1; }

void MVItem::updateAlphabeticSectionKey() {
    const auto& name = !isEmpty(titleSortName_) ? titleSortName_ : title_;
    alphabeticSectionKey_ = isEmpty(name) ? std::string() : sectionKeyForName(*name);
}

void MVItem::dropDecodedRecords() {
    decodedGroup_.reset();
    decodedThumbnails_.reset();
    decodedSubtitles_.reset();
}

std::vector<std::string> MVItem::keywordsArray() const {
    return isEmpty(keywords_) ? std::vector<std::string>() : split(*keywords_, ", ");
}

std::shared_ptr<const MVMediaGroup> MVItem::group() const {
    if (!decodedGroup_) {
        auto json = DictionaryRecord::jsonFromData(groupData_);
        decodedGroup_ = json.is_object() ? std::make_shared<const MVMediaGroup>(json) : nullptr;
    }
    return *decodedGroup_;
}

const std::vector<MVThumbnail>& MVItem::thumbnails() const {
    if (!decodedThumbnails_)
        decodedThumbnails_ =
            DictionaryRecord::recordsFromArray<MVThumbnail>(DictionaryRecord::jsonFromData(thumbnailsData_));
    return *decodedThumbnails_;
}

const std::vector<MVMediaSubtitle>& MVItem::subtitles() const {
    if (!decodedSubtitles_)
        decodedSubtitles_ =
            DictionaryRecord::recordsFromArray<MVMediaSubtitle>(DictionaryRecord::jsonFromData(subtitleData_));
    return *decodedSubtitles_;
}

std::vector<MVMediaRating> MVItem::ratings() const {
    return DictionaryRecord::recordsFromArray<MVMediaRating>(DictionaryRecord::jsonFromData(ratingsData_));
}

std::vector<MVMediaCredit> MVItem::credits() const {
    return DictionaryRecord::recordsFromArray<MVMediaCredit>(DictionaryRecord::jsonFromData(creditsData_));
}

std::vector<MVMediaPrice> MVItem::prices() const {
    return DictionaryRecord::recordsFromArray<MVMediaPrice>(DictionaryRecord::jsonFromData(pricesData_));
}

std::optional<MVTagline> MVItem::tagline() const {
    auto json = DictionaryRecord::jsonFromData(taglineData_);
    if (!json.is_object()) return std::nullopt;
    return MVTagline(std::move(json));
}

bool MVItem::keywordsContain(std::string_view text) const {
    return keywords_ && containsStringCaseInsensitive(*keywords_, text);
}

bool MVItem::isFolderType() const {
    const auto type = itemType_.value_or(MVItemTypeUnknown);
    return type == MVItemTypeFolder || type == MVItemTypeLeaf || type == MVItemTypeSaved;
}

bool MVItem::isShelf() const { return keywordsContain("Shelf") || isWatchlist() || isRecentlyWatched(); }
bool MVItem::isRecommendedShelf() const { return keywordsContain("featured_shelf"); }
bool MVItem::isAgeRangeShelf() const { return keywordsContain("age_range"); }
bool MVItem::isSeasonItem() const { return keywordsContain("Season"); }
bool MVItem::isSeriesItem() const { return keywordsContain("Series"); }
bool MVItem::isEpisodeItem() const { return !isEmpty(series_) && episodeInSeason_.value_or(0) > 0; }
bool MVItem::isCarousel() const { return keywordsContain("carousel"); }
bool MVItem::isRecentlyWatched() const { return keywordsContain("recentlywatched"); }
bool MVItem::isWatchlist() const { return category_ && containsStringCaseInsensitive(*category_, "watchlist"); }

bool MVItem::isKidsItem() const {
    if (std::any_of(kKidsKeywords.begin(), kKidsKeywords.end(), [&](const char* k) { return keywordsContain(k); }))
        return true;
    auto lockable = lockableItem();
    if (!lockable || !category_ || isEmpty(lockable->analyticsLabel())) return false;
    return startsWith(*category_, *lockable->analyticsLabel());
}

std::optional<std::string> MVItem::episodeTitle() const {
    if (!isEmpty(title_)) return title_;
    if (!isEmpty(shortTitle_)) return shortTitle_;
    return episode_;
}

std::uint32_t MVItem::bookmarkPosition() const {
    // A negative bookmark is no position, not a huge one.
    return static_cast<std::uint32_t>(std::max(bookmark_.value_or(0), 0));
}

bool MVItem::isJustStarted() const {
    return MVSharedBookmarkCache::sharedCache()->bookmarkPositionForAsset(*this) <= 120;
}

bool MVItem::isAlmostCompleted() const {
    const long long position = MVSharedBookmarkCache::sharedCache()->bookmarkPositionForAsset(*this);
    auto content = movieMediaContentForType(MVMediaContentTypeHLSFairPlay);
    const long long duration = content ? content->duration().value_or(0) : 0;
    return position != 0 && duration != 0 && duration - position < 121;
}

std::optional<MVMediaContent> MVItem::movieMediaContentForType(MVMediaContentType type) const {
    auto mediaGroup = group();
    if (!mediaGroup) return std::nullopt;
    for (const auto& content : mediaGroup->content()) {
        if (content.medium() != "video") continue;
        const auto profile = content.profile().value_or("");
        if ((type == MVMediaContentTypeHLSFairPlay && (profile.empty() || sameIgnoringCase(profile, "MVTK-HLS-FPS"))) ||
            (type == MVMediaContentTypeSmoothPlayReady && sameIgnoringCase(profile, "MVTK-SMOOTH-PlayReady")))
            return content;
    }
    return std::nullopt;
}

std::optional<Url> MVItem::findImageURLForType(MVImageType type) const {
    const auto& profiles = imageProfile(type);
    const bool tablet = Platform::current().device().idiom() == UserInterfaceIdiom::Pad;
    const std::string_view profile = tablet ? profiles.tablet : profiles.phone;
    auto find = [&](const std::vector<MVThumbnail>& pictures) -> std::optional<Url> {
        for (const auto& picture : pictures)
            if (sameIgnoringCase(picture.profile().value_or(""), profile))
                return Url::parse(picture.url().value_or(""));
        return std::nullopt;
    };
    if (auto mediaGroup = group())
        if (auto url = find(mediaGroup->thumbnails())) return url;
    return find(thumbnails());
}

std::optional<Url> MVItem::imageURLForType(MVImageType type) const {
    if (auto url = findImageURLForType(type)) return url;
    const auto fallback = imageProfile(type).fallback;
    auto url = findImageURLForType(fallback);
    if (!url && fallback == MVImageTypeThumbDefault) return findImageURLForType(MVImageTypePosterDefault);
    return url;
}

Json MVItem::chromecastDictionary() const {
    Json dictionary = {{"guid", guid_.value_or("")}, {"title", title_.value_or("")}};
    if (!isEmpty(season_)) dictionary["seasonNumber"] = *season_;
    if (episodeInSeason_) dictionary["episodeNumber"] = std::to_string(*episodeInSeason_);
    if (!isEmpty(series_)) dictionary["series"] = *series_;
    if (!isEmpty(itemDescription_)) dictionary["episodeDescription"] = *itemDescription_;
    dictionary["language"] = MVTavikLocale::mvtk_preferredLanguageString();

    auto mediaGroup = group();
    Json images = Json::array();
    auto addImages = [&](const std::vector<MVThumbnail>& pictures) {
        for (const auto& picture : pictures)
            images.push_back({{"profile", picture.profile().value_or("")}, {"url", picture.url().value_or("")}});
    };
    addImages(thumbnails());
    if (mediaGroup) addImages(mediaGroup->thumbnails());
    dictionary["images"] = std::move(images);

    Json videos = Json::array();
    for (const auto& content : mediaGroup ? mediaGroup->content() : std::vector<MVMediaContent>()) {
        Json video = {{"url", content.url().value_or("")}};
        if (!isEmpty(content.profile())) video["profile"] = *content.profile();
        videos.push_back(std::move(video));
    }
    dictionary["videos"] = std::move(videos);

    Json subtitleList = Json::array();
    for (const auto& subtitle : subtitles())
        subtitleList.push_back({{"url", subtitle.url().value_or("")}, {"language", subtitle.lang().value_or("")}});
    dictionary["subtitles"] = std::move(subtitleList);
    return dictionary;
}

void MVItem::populateWithChromecastDictionary(const Json& dictionary) {
    guid_ = stringValueForKey("guid", dictionary);
    title_ = stringValueForKey("title", dictionary);
    season_ = stringValueForKey("seasonNumber", dictionary);
    series_ = stringValueForKey("series", dictionary);
    itemDescription_ = stringValueForKey("episodeDescription", dictionary);
    episodeInSeason_ = int32Value(numberValueForKey("episodeNumber", dictionary));

    std::vector<MVThumbnail> pictures;
    for (const auto& image : listForKey(dictionary, "images"))
        pictures.emplace_back(DictionaryRecord::renamedValues(image, {{"url", "url"}, {"profile", "profile"}}));
    std::vector<MVMediaContent> content;
    for (const auto& video : listForKey(dictionary, "videos")) {
        auto values = DictionaryRecord::renamedValues(video, {{"url", "url"}, {"profile", "profile"}});
        values["medium"] = "video";
        content.emplace_back(std::move(values));
    }
    std::vector<MVMediaSubtitle> subtitleRecords;
    for (const auto& subtitle : listForKey(dictionary, "subtitles"))
        subtitleRecords.emplace_back(DictionaryRecord::renamedValues(subtitle, {{"url", "url"}, {"language", "lang"}}));
    decodedGroup_ = std::make_shared<const MVMediaGroup>(std::move(content), std::move(pictures));
    decodedSubtitles_ = std::move(subtitleRecords);
}

StorePredicate MVItem::filterPredicate() {
    std::vector<StorePredicate> kids;
    for (const char* keyword : kKidsKeywords)
        kids.push_back(StorePredicate::containsCaseInsensitive("keywords", keyword));
    if (auto lockable = lockableItem())
        kids.push_back(StorePredicate::beginsWithCaseInsensitive("category", lockable->analyticsLabel().value_or("")));
    auto predicate = StorePredicate::orPredicate(kids);
    return ProfileManager::activeProfile() == ProfileTypeAdult ? StorePredicate::notPredicate(predicate) : predicate;
}

std::optional<StorePredicate> MVItem::listFilterPredicate() {
    if (ProfileManager::activeProfile() == ProfileTypeNone) return std::nullopt;
    return filterPredicate();
}

std::string MVItem::stringValueForKey(std::string_view key, const Json& dictionary) {
    return stringValue(dictionary, key).value_or("");
}

double MVItem::numberValueForKey(std::string_view key, const Json& dictionary) {
    auto it = dictionary.is_object() ? dictionary.find(key) : dictionary.end();
    if (it == dictionary.end()) return 0;
    if (it->is_number()) return it->get<double>();
    if (it->is_string()) return int32Value(static_cast<double>(integerValue(it->get_ref<const std::string&>())));
    return 0;
}

}  // namespace movra
