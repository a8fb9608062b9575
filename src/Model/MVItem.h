// MVItem: one catalogue entry (a title, folder, shelf or menu entry) of entity "Item": its attributes, the
// mapping of a feed "item" element, the import rules, the decoded media sub-records, and the predicates and
// lookups that screens, search, the player and the cast sender use.
//
// Thread contract: an item is used by one thread at a time (the one that loaded or imported it); decoded
// sub-records are cached on first read without a lock. isKidsItem and filterPredicate read the app
// delegate and the active profile and run on the main queue. The other static members run on any thread.
#pragma once

#include "Foundation/Json.h"
#include "Foundation/Url.h"
#include "Model/EntityAttribute.h"
#include "Model/MVImageType.h"
#include "Model/MVItemType.h"
#include "Model/MVMediaAudioTrack.h"
#include "Model/MVMediaContent.h"
#include "Model/MVMediaContentType.h"
#include "Model/MVMediaCredit.h"
#include "Model/MVMediaGroup.h"
#include "Model/MVMediaPrice.h"
#include "Model/MVMediaRating.h"
#include "Model/MVMediaSubtitle.h"
#include "Model/MVTagline.h"
#include "Model/MVThumbnail.h"
#include "Model/StorePredicate.h"
#include "Utilities/XMLModelClass.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace movra {

class SQLiteStatement;

template <class Entity>
class AttributeTable;

class MVItem {
  public:
    /// The mapping of an "item" element (prefix "self::item/"). Sub-records are archived as the JSON text of
    /// their dictionaries; a missing "stravo:savedAsset" reads as 0.
    static const XMLModelClass& modelClass();

    /// Every stored attribute, in the entity's order; "audioTracks" is Data (a JSON list of dictionaries).
    static const std::vector<EntityAttribute>& attributes();
    /// Every attribute by name (null when absent), as attributes() gives their kinds.
    Json attributeValues() const;
    /// One attribute's value by name, as attributeValues() has it.
    Json attributeValue(const std::string& name) const;
    /// Sets every attribute named in `values` as it is (null clears it), without the derivations of the
    /// import; other keys are ignored.
    void setAttributeValues(const Json& values);
    /// The same from a store row whose columns are attributes() in order.
    void setAttributeValuesFromRow(const SQLiteStatement& row);
    /// Binds attributeValues() in order to the statement's parameters from `firstIndex` on.
    void bindAttributeValues(SQLiteStatement& statement, int firstIndex) const;
    /// Imports an item dictionary of the feed: null markers are skipped, numbers are read from text, unknown
    /// keys are ignored; then isNotCarouselItem, navigationalGUID and alphabeticSectionKey are derived and
    /// a bookmark is written to the shared bookmark cache.
    void updateFromJSON(const Json& dictionary);

    // Attributes. Data attributes hold the JSON text of the sub-record dictionaries.
    const std::optional<std::string>& itemID() const { return itemID_; }
    void setItemID(std::optional<std::string> value) { itemID_ = std::move(value); }
    const std::optional<std::string>& guid() const { return guid_; }
    void setGuid(std::optional<std::string> value) { guid_ = std::move(value); }
    const std::optional<std::string>& navigationalGUID() const { return navigationalGUID_; }
    void setNavigationalGUID(std::optional<std::string> value) { navigationalGUID_ = std::move(value); }
    const std::optional<std::string>& parentGUID() const { return parentGUID_; }
    void setParentGUID(std::optional<std::string> value) { parentGUID_ = std::move(value); }
    const std::optional<std::string>& parentURI() const { return parentURI_; }
    void setParentURI(std::optional<std::string> value) { parentURI_ = std::move(value); }
    const std::optional<std::string>& link() const { return link_; }
    void setLink(std::optional<std::string> value) { link_ = std::move(value); }
    const std::optional<std::string>& title() const { return title_; }
    void setTitle(std::optional<std::string> value) { title_ = std::move(value); }
    const std::optional<std::string>& shortTitle() const { return shortTitle_; }
    void setShortTitle(std::optional<std::string> value) { shortTitle_ = std::move(value); }
    const std::optional<std::string>& titleSortName() const { return titleSortName_; }
    /// Also recomputes alphabeticSectionKey.
    void setTitleSortName(std::optional<std::string> value);
    const std::optional<std::string>& alphabeticSectionKey() const { return alphabeticSectionKey_; }
    void setAlphabeticSectionKey(std::optional<std::string> value) { alphabeticSectionKey_ = std::move(value); }
    const std::optional<std::string>& itemDescription() const { return itemDescription_; }
    void setItemDescription(std::optional<std::string> value) { itemDescription_ = std::move(value); }
    /// An MVItemType value.
    const std::optional<std::int32_t>& itemType() const { return itemType_; }
    void setItemType(std::optional<std::int32_t> value) { itemType_ = value; }
    const std::optional<std::string>& category() const { return category_; }
    void setCategory(std::optional<std::string> value) { category_ = std::move(value); }
    /// Separated by ", ".
    const std::optional<std::string>& keywords() const { return keywords_; }
    /// Also recomputes isNotCarouselItem.
    void setKeywords(std::optional<std::string> value);
    const std::optional<std::string>& analyticsLabel() const { return analyticsLabel_; }
    void setAnalyticsLabel(std::optional<std::string> value) { analyticsLabel_ = std::move(value); }
    const std::optional<std::string>& houseId() const { return houseId_; }
    void setHouseId(std::optional<std::string> value) { houseId_ = std::move(value); }
    const std::optional<std::string>& mediaStatus() const { return mediaStatus_; }
    void setMediaStatus(std::optional<std::string> value) { mediaStatus_ = std::move(value); }
    const std::optional<std::string>& series() const { return series_; }
    void setSeries(std::optional<std::string> value) { series_ = std::move(value); }
    const std::optional<std::string>& season() const { return season_; }
    void setSeason(std::optional<std::string> value) { season_ = std::move(value); }
    const std::optional<std::string>& episode() const { return episode_; }
    void setEpisode(std::optional<std::string> value) { episode_ = std::move(value); }
    const std::optional<std::int32_t>& episodeInSeason() const { return episodeInSeason_; }
    void setEpisodeInSeason(std::optional<std::int32_t> value) { episodeInSeason_ = value; }
    const std::optional<std::int32_t>& episodeInSeries() const { return episodeInSeries_; }
    void setEpisodeInSeries(std::optional<std::int32_t> value) { episodeInSeries_ = value; }
    /// Resume position in seconds as the feed delivered it.
    const std::optional<std::int32_t>& bookmark() const { return bookmark_; }
    void setBookmark(std::optional<std::int32_t> value) { bookmark_ = value; }
    const std::optional<bool>& isInWatchlist() const { return isInWatchlist_; }
    void setIsInWatchlist(std::optional<bool> value) { isInWatchlist_ = value; }
    void setIsInWatchlist(const char*) = delete;
    /// 1 unless the keywords contain "carousel".
    const std::optional<std::int32_t>& isNotCarouselItem() const { return isNotCarouselItem_; }
    void setIsNotCarouselItem(std::optional<std::int32_t> value) { isNotCarouselItem_ = value; }
    /// Position in the channel, counted across pages.
    const std::optional<std::int32_t>& indexInChannel() const { return indexInChannel_; }
    void setIndexInChannel(std::optional<std::int32_t> value) { indexInChannel_ = value; }
    /// On the search menu item: the path of the suggestions request.
    const std::optional<std::string>& suggestions() const { return suggestions_; }
    void setSuggestions(std::optional<std::string> value) { suggestions_ = std::move(value); }
    const std::optional<std::string>& groupData() const { return groupData_; }
    void setGroupData(std::optional<std::string> value);
    const std::optional<std::string>& thumbnailsData() const { return thumbnailsData_; }
    void setThumbnailsData(std::optional<std::string> value);
    const std::optional<std::string>& creditsData() const { return creditsData_; }
    void setCreditsData(std::optional<std::string> value) { creditsData_ = std::move(value); }
    const std::optional<std::string>& ratingsData() const { return ratingsData_; }
    void setRatingsData(std::optional<std::string> value) { ratingsData_ = std::move(value); }
    const std::optional<std::string>& pricesData() const { return pricesData_; }
    void setPricesData(std::optional<std::string> value) { pricesData_ = std::move(value); }
    const std::optional<std::string>& subtitleData() const { return subtitleData_; }
    void setSubtitleData(std::optional<std::string> value);
    const std::optional<std::string>& taglineData() const { return taglineData_; }
    void setTaglineData(std::optional<std::string> value) { taglineData_ = std::move(value); }
    /// Set while casting; the feed does not fill it.
    const std::vector<MVMediaAudioTrack>& audioTracks() const { return audioTracks_; }
    void setAudioTracks(std::vector<MVMediaAudioTrack> value) { audioTracks_ = std::move(value); }

    /// The relationship to the channel that lists the item, by the channel's channelID; nullopt when no
    /// channel lists it any more. MVChannel keeps it.
    const std::optional<std::string>& channelID() const { return channelID_; }
    void setChannelID(std::optional<std::string> value) { channelID_ = std::move(value); }

    // Decoded sub-records: empty (or nullptr) when the data is missing, empty or unreadable. The group,
    // thumbnails and subtitles are decoded once and kept; the others are decoded on every read.
    std::vector<std::string> keywordsArray() const;
    std::shared_ptr<const MVMediaGroup> group() const;
    const std::vector<MVThumbnail>& thumbnails() const;
    const std::vector<MVMediaSubtitle>& subtitles() const;
    std::vector<MVMediaRating> ratings() const;
    std::vector<MVMediaCredit> credits() const;
    std::vector<MVMediaPrice> prices() const;
    std::optional<MVTagline> tagline() const;

    // Predicates: case-insensitive substring tests; a missing field contains nothing.
    bool keywordsContain(std::string_view text) const;
    /// Folder, leaf or saved.
    bool isFolderType() const;
    bool isShelf() const;
    bool isRecommendedShelf() const;
    bool isAgeRangeShelf() const;
    bool isSeasonItem() const;
    bool isSeriesItem() const;
    /// Has a series and an episode number within the season above 0.
    bool isEpisodeItem() const;
    bool isCarousel() const;
    bool isRecentlyWatched() const;
    bool isWatchlist() const;
    /// Kids keywords, or a category that begins (case-sensitively) with the lockable menu item's label.
    bool isKidsItem() const;

    // Lookups.
    /// The first non-empty of title, short title and episode.
    std::optional<std::string> episodeTitle() const;
    /// The feed's bookmark; 0 when absent or negative.
    std::uint32_t bookmarkPosition() const;
    /// The bookmark cache's position (bookmarkPositionForAsset) is at most 120 s.
    bool isJustStarted() const;
    /// The cached position is not 0 and lies less than 121 s before the end of the HLS stream (or beyond it).
    bool isAlmostCompleted() const;
    /// The first video content of the group, in order, whose profile matches `type`.
    std::optional<MVMediaContent> movieMediaContentForType(MVMediaContentType type) const;
    /// The picture of the type's profile for this device's idiom: the group's pictures first, then the
    /// item's own. A group picture whose URL does not parse lets the item's own pictures answer.
    std::optional<Url> findImageURLForType(MVImageType type) const;
    /// findImageURLForType, falling back to the generic profile of the type; a thumbnail finally falls back
    /// to the generic poster.
    std::optional<Url> imageURLForType(MVImageType type) const;
    /// The item as the cast receiver takes it with a load.
    Json chromecastDictionary() const;
    /// Fills a detached item from a cast receiver's item dictionary; the group and subtitles are kept
    /// decoded, not archived.
    void populateWithChromecastDictionary(const Json& dictionary);

    /// The items visible in the active profile: kids items in the kids profile (and before any profile was
    /// chosen), the others in the adult profile.
    static StorePredicate filterPredicate();
    /// What shelves and lists filter by: filterPredicate() once a profile has been chosen, nothing before
    /// (a tenant without profiles never chooses one, and must still show its whole catalogue).
    static std::optional<StorePredicate> listFilterPredicate();
    /// The value under `key` when it is a string, else "".
    static std::string stringValueForKey(std::string_view key, const Json& dictionary);
    /// The value under `key` when it is a number; a string's 32-bit integer value; else 0.
    static double numberValueForKey(std::string_view key, const Json& dictionary);

  private:
    static const AttributeTable<MVItem>& table();
    void didImportJSON();
    void updateIsNotCarouselItem();
    void updateAlphabeticSectionKey();
    void dropDecodedRecords();

    std::optional<std::string> itemID_, guid_, navigationalGUID_, parentGUID_, parentURI_, link_, title_, shortTitle_,
        titleSortName_, alphabeticSectionKey_, itemDescription_, category_, keywords_, analyticsLabel_, houseId_,
        mediaStatus_, series_, season_, episode_, suggestions_;
    std::optional<std::int32_t> itemType_, episodeInSeason_, episodeInSeries_, bookmark_, isNotCarouselItem_,
        indexInChannel_;
    std::optional<bool> isInWatchlist_;
    std::optional<std::string> groupData_, thumbnailsData_, creditsData_, ratingsData_, pricesData_, subtitleData_,
        taglineData_;
    std::vector<MVMediaAudioTrack> audioTracks_;
    std::optional<std::string> channelID_;

    mutable std::optional<std::shared_ptr<const MVMediaGroup>> decodedGroup_;
    mutable std::optional<std::vector<MVThumbnail>> decodedThumbnails_;
    mutable std::optional<std::vector<MVMediaSubtitle>> decodedSubtitles_;
};

}  // namespace movra
