// FeedChannel: one page of a catalogue feed, written as an RSS 2.0 document with the "stravo", "media"
// (Media RSS) and "dcterms" (Dublin Core terms) namespaces declared on its root. Every member has a
// default, so that channels are written with designated initializers naming only what they use.
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
    std::string guid{};
    std::string title{};
    std::string link{};
    std::string description{};
    std::string language{};
    /// "yyyy-MM-dd'T'HH:mm:ss" and a zone name ("2024-05-02T06:00:00GMT").
    std::string pubDate{};
    std::string lastBuildDate{};
    /// URL of the channel's picture as the element's text: the client reads <image> as a string, not
    /// RSS's <url>/<title>/<link> children.
    std::string image{};
    std::string category{};
    std::string analyticsLabel{};
    /// Minutes the client may serve the channel from its store.
    int ttlMinutes = 60;
    /// Items of the channel across all pages; `items` is one page of them.
    int totalResults = 0;
    std::vector<FeedItem> items{};

    std::string toXml() const;
};

}  // namespace movra::backend
