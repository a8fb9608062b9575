// Catalogue entries as feed items: the URLs of their streams, pictures, subtitles and audio tracks.
#include "movra-backend/CatalogueNode.h"

#include "Foundation/Crypto.h"
#include "Foundation/Strings.h"
#include "movra-backend/ImageProfile.h"
#include "movra-backend/MediaLibrary.h"
#include "movra-backend/PlaybackApi.h"

namespace movra::backend {

namespace {

constexpr const char* kRatingScheme = "urn:movra:agerating";
constexpr const char* kCurrencyInfo = "currency=SEK";

std::string mediaUrl(std::string_view baseUrl, const std::string& guid, std::string_view rest) {
    return std::string(baseUrl) + "/media/" + guid + "/" + std::string(rest);
}

// The title's stream: a session for the device, the playlist itself for a Cast receiver.
std::vector<FeedItem::Content> contentsOf(const CatalogueNode& node, std::string_view baseUrl) {
    auto content = [&](std::string url, const char* profile) {
        return FeedItem::Content{.url = std::move(url),
                                 .type = "application/x-mpegURL",
                                 .medium = "video",
                                 .profile = profile,
                                 .expression = "full",
                                 .durationSeconds = MediaLibrary::assetForTitle(node.guid).durationSeconds,
                                 .width = 320,
                                 .height = 180,
                                 .bitrateKbps = 370};
    };
    return {
        // The client opens a streaming session on this URL; the session answers the HLS playlist's address.
        content(PlaybackApi::sessionUrl(baseUrl, node.guid), "MVTK-HLS-FPS"),
        content(PlaybackApi::playlistUrl(baseUrl, MediaLibrary::assetForTitle(node.guid).id), "MVTK-SMOOTH-PlayReady"),
    };
}

}  // namespace

const std::string& CatalogueNode::nameToSortBy() const { return sortName.empty() ? title : sortName; }

void CatalogueNode::classify(const std::vector<std::string>& genres, bool kids) {
    std::vector<std::string> words;
    switch (kind) {
        case Kind::Film:
            words.emplace_back("film");
            break;
        case Kind::Series:
            words.emplace_back("Series");
            break;
        case Kind::Season:
            words.emplace_back("Season");
            break;
        case Kind::Episode:
            words.emplace_back("episode");
            break;
        case Kind::Section:
        case Kind::Shelf:
            break;
    }
    for (const std::string& genre : genres) words.push_back(toLower(genre));
    if (kids) words.emplace_back("kids");
    keywords = join(words, ", ");
    // The client also takes a category under the kids menu entry's analytics label for a kids item.
    category = kids ? "Kids" : kind == Kind::Film ? "Films" : "Series";
    if (!genres.empty()) category += "/" + genres.front();
}

FeedItem CatalogueNode::feedItem(std::string_view baseUrl, const Child* child) const {
    FeedItem item{.guid = guid,
                  .title = title,
                  .link = link,
                  .description = description,
                  .category = category,
                  .keywords = keywords,
                  .itemType = isPlayable() ? "media" : "folder",
                  .analyticsLabel = title,
                  .titleSortName = nameToSortBy()};
    if (child && !child->keywords.empty()) item.keywords += (item.keywords.empty() ? "" : ", ") + child->keywords;
    if (child && !child->shortcutGuid.empty()) {
        item.guid = child->shortcutGuid;
        item.shortcutToGuid = guid;
    }
    if (year > 0) item.created = std::to_string(year);

    if (kind == Kind::Season || kind == Kind::Episode) {
        item.series = seriesTitle;
        item.season = std::to_string(seasonNumber);
        item.parentGuid = parent->guid;
        item.parentFolderUri = parent->link;
    }
    if (kind == Kind::Episode) {
        const std::string number = "S" + std::to_string(seasonNumber) + " E" + std::to_string(episodeInSeason);
        item.episode = "Episode " + std::to_string(episodeInSeason);
        item.episodeInSeason = episodeInSeason;
        item.episodeInSeries = episodeInSeries;
        item.shortTitle = number;
        item.analyticsLabel = seriesTitle + " " + number;
    }

    for (const ImageProfile& profile : ImageProfile::all()) {
        FeedItem::Thumbnail thumbnail{profile.url(baseUrl, guid), profile.width, profile.height,
                                      std::string(profile.name)};
        auto& list = isPlayable() && profile.isDeviceSpecific() ? item.groupThumbnails : item.thumbnails;
        list.push_back(std::move(thumbnail));
    }
    if (!rating.empty()) item.ratings.push_back({kRatingScheme, rating});
    item.credits = credits;
    item.tagline = tagline;

    if (!isPlayable()) return item;
    item.houseId = "MVTK" + toUpper(md5Hex(guid).substr(0, 8));
    item.mediaStatus = "available";
    item.contents = contentsOf(*this, baseUrl);
    for (const std::string& language : subtitleLanguages) {
        item.subtitles.push_back(
            {"text/vtt", language, mediaUrl(baseUrl, guid, "subtitles/" + language + ".vtt"), "WEBVTT"});
    }
    for (const std::string& language : audioLanguages) {
        item.audioTracks.push_back(
            {"audio/mp4", language, mediaUrl(baseUrl, guid, "audio/" + language + ".m3u8"), "AAC-STEREO"});
    }
    item.prices.push_back({"subscription", "0", kCurrencyInfo});
    if (!rentPrice.empty()) item.prices.push_back({"rent", rentPrice, std::string(kCurrencyInfo) + ";period=48h"});
    return item;
}

}  // namespace movra::backend
