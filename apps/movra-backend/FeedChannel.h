// FeedChannel: one page of a catalogue feed, written as an RSS 2.0 document with the "stravo", "media"
// (Media RSS) and "dcterms" (Dublin Core terms) namespaces declared on its root.
#pragma once

#include "movra-backend/FeedItem.h"

#include <string>
#include <vector>

namespace movra::backend {

inline constexpr const char* kStravoNamespace = "http://movra.example/stravo/rss/1.0";
inline constexpr const char* kMediaNamespace = "http://search.yahoo.com/mrss/";
inline constexpr const char* kDctermsNamespace = "http://purl.org/dc/terms/";

struct FeedChannel {
    /// "ROOT" for the root menu.
    std::string guid;
    std::string title;
    std::string link;
    std::string description;
    std::string language;
    std::string analyticsLabel;
    /// Minutes the client may serve the channel from its store.
    int ttlMinutes = 60;
    /// Items of the channel across all pages; 0 means the number of `items`.
    int totalResults = 0;
    std::vector<FeedItem> items;

    std::string toXml() const;
};

}  // namespace movra::backend
