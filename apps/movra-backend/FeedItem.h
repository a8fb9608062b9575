// FeedItem: one <item> of a catalogue feed (a menu entry, folder, shelf or title) with the Media RSS
// sub-records of a title. Empty fields are left out of the document. Every member has a default so that
// entries are written with designated initializers naming only what they use.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace movra::backend {

class XmlWriter;

struct FeedItem {
    /// media:thumbnail: one picture in one image profile.
    struct Thumbnail {
        std::string url;
        int width = 0;
        int height = 0;
        std::string profile;
    };
    /// media:content: one rendition of the title.
    struct Content {
        std::string url;
        /// MIME type ("application/x-mpegURL").
        std::string type;
        /// "video" for everything the client plays.
        std::string medium;
        std::string profile;
        /// "full" for the title itself, "sample" for a trailer.
        std::string expression;
        int durationSeconds = 0;
        int width = 0;
        int height = 0;
        int bitrateKbps = 0;
    };
    /// media:subTitle and media:audioTrack.
    struct Track {
        std::string type;
        /// ISO 639-1 code.
        std::string lang;
        std::string url;
        std::string profile;
    };
    /// media:credit.
    struct Credit {
        /// "director", "actor", "producer".
        std::string role;
        std::string name;
    };
    /// media:rating.
    struct Rating {
        std::string scheme;
        std::string value;
    };
    /// media:price.
    struct Price {
        /// "subscription", "rent".
        std::string type;
        std::string price;
        /// "key=value" pairs joined by ";".
        std::string info;
    };
    /// stravo:tagline: up to three lines drawn over the title's picture.
    struct Tagline {
        /// "upper left" ... "lower right".
        std::string position;
        /// Hexadecimal RGB, with or without "#".
        std::string color;
        std::string line1;
        std::string line2;
        std::string line3;
    };

    std::string guid{};
    std::string title{};
    /// For folders and menu entries: the path the client browses, relative to the API base ("browse/kids").
    std::string link{};
    std::string description{};
    std::string category{};
    /// Comma-and-space separated ("lockable, kids"); the client derives most of its behaviour from these.
    std::string keywords{};
    /// "folder", "media", "search", "settings", "identity", ...
    std::string itemType{};
    std::string analyticsLabel{};
    /// On the search entry: the path of the suggestions request.
    std::string suggestions{};
    std::string houseId{};
    std::string mediaStatus{};
    std::string shortTitle{};
    std::string titleSortName{};
    /// Series name, season number and episode text of an episode or season.
    std::string series{};
    std::string season{};
    std::string episode{};
    /// 0 leaves the element out.
    int episodeInSeries = 0;
    int episodeInSeason = 0;
    std::string parentGuid{};
    std::string parentFolderUri{};
    /// The guid the client opens instead of this item's own.
    std::string shortcutToGuid{};
    /// stravo:savedAsset, in a feed served to a subscriber: whether the title is on the watchlist.
    std::optional<bool> savedAsset{};
    /// stravo:bookmark, in a feed served to a subscriber: the title's resume position in seconds.
    std::optional<int> bookmark{};
    /// Year of release (dcterms:created).
    std::string created{};
    std::vector<Thumbnail> thumbnails{};
    /// media:group: the renditions and the group's own pictures; left out when both are empty.
    std::vector<Content> contents{};
    std::vector<Thumbnail> groupThumbnails{};
    std::vector<Track> subtitles{};
    std::vector<Track> audioTracks{};
    std::vector<Rating> ratings{};
    std::vector<Credit> credits{};
    std::vector<Price> prices{};
    std::optional<Tagline> tagline{};

    void write(XmlWriter& xml) const;
};

}  // namespace movra::backend
