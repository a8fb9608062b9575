// Writes one feed item.
#include "movra-backend/FeedItem.h"

#include "movra-backend/XmlWriter.h"

namespace movra::backend {

namespace {

std::string number(int value) { return value > 0 ? std::to_string(value) : std::string(); }

void writeThumbnail(XmlWriter& xml, const FeedItem::Thumbnail& thumbnail) {
    xml.element("media:thumbnail", "",
                {{"url", thumbnail.url},
                 {"medium", "image"},
                 {"width", std::to_string(thumbnail.width)},
                 {"height", std::to_string(thumbnail.height)},
                 {"profile", thumbnail.profile}});
}

void writeTrack(XmlWriter& xml, const char* name, const FeedItem::Track& track) {
    xml.open(name, {{"type", track.type}, {"lang", track.lang}, {"href", track.url}})
        .optionalElement("profile", track.profile)
        .close();
}

}  // namespace

void FeedItem::write(XmlWriter& xml) const {
    xml.open("item")
        .optionalElement("title", title)
        .optionalElement("guid", guid)
        .optionalElement("link", link)
        .optionalElement("description", description)
        .optionalElement("category", category)
        .optionalElement("houseId", houseId)
        .optionalElement("media:keywords", keywords)
        .optionalElement("media:status", mediaStatus)
        .optionalElement("stravo:itemType", itemType)
        .optionalElement("stravo:analyticsLabel", analyticsLabel)
        .optionalElement("stravo:savedAsset", savedAsset ? (*savedAsset ? "true" : "false") : "")
        .optionalElement("stravo:bookmark", bookmark ? std::to_string(*bookmark) : "")
        .optionalElement("stravo:suggestions", suggestions)
        .optionalElement("stravo:shortTitle", shortTitle)
        .optionalElement("stravo:titleSortName", titleSortName)
        .optionalElement("stravo:series", series)
        .optionalElement("stravo:season", season)
        .optionalElement("stravo:episode", episode)
        .optionalElement("stravo:episodeInSeries", number(episodeInSeries))
        .optionalElement("stravo:episodeInSeason", number(episodeInSeason))
        .optionalElement("stravo:parentGuid", parentGuid)
        .optionalElement("stravo:parentFolderUri", parentFolderUri)
        .optionalElement("stravo:shortcutToGuid", shortcutToGuid)
        .optionalElement("dcterms:created", created);
    for (const Thumbnail& thumbnail : thumbnails) writeThumbnail(xml, thumbnail);
    if (!contents.empty() || !groupThumbnails.empty()) {
        xml.open("media:group");
        for (const Content& content : contents) {
            xml.element("media:content", "",
                        {{"url", content.url},
                         {"type", content.type},
                         {"medium", content.medium},
                         {"profile", content.profile},
                         {"expression", content.expression},
                         {"duration", std::to_string(content.durationSeconds)},
                         {"width", std::to_string(content.width)},
                         {"height", std::to_string(content.height)},
                         {"bitrate", std::to_string(content.bitrateKbps)}});
        }
        for (const Thumbnail& thumbnail : groupThumbnails) writeThumbnail(xml, thumbnail);
        xml.close();
    }
    for (const Track& subtitle : subtitles) writeTrack(xml, "media:subTitle", subtitle);
    for (const Track& audioTrack : audioTracks) writeTrack(xml, "media:audioTrack", audioTrack);
    for (const Rating& rating : ratings) xml.element("media:rating", rating.value, {{"scheme", rating.scheme}});
    for (const Credit& credit : credits) xml.element("media:credit", credit.name, {{"role", credit.role}});
    for (const Price& price : prices) {
        xml.element("media:price", "", {{"type", price.type}, {"price", price.price}, {"info", price.info}});
    }
    if (tagline) {
        xml.open("stravo:tagline")
            .optionalElement("position", tagline->position)
            .optionalElement("color", tagline->color)
            .optionalElement("line1", tagline->line1)
            .optionalElement("line2", tagline->line2)
            .optionalElement("line3", tagline->line3)
            .close();
    }
    xml.close();
}

}  // namespace movra::backend
