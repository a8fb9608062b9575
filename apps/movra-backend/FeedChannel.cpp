// Writes a feed page as an RSS document.
#include "movra-backend/FeedChannel.h"

#include "movra-backend/XmlWriter.h"

namespace movra::backend {

std::string FeedChannel::toXml() const {
    XmlWriter xml;
    xml.open("rss", {{"version", "2.0"},
                     {"xmlns:stravo", kStravoNamespace},
                     {"xmlns:media", kMediaNamespace},
                     {"xmlns:dcterms", kDctermsNamespace}});
    xml.open("channel")
        .element("guid", guid)
        .optionalElement("title", title)
        .optionalElement("link", link)
        .optionalElement("description", description)
        .optionalElement("language", language)
        .optionalElement("pubDate", pubDate)
        .optionalElement("lastBuildDate", lastBuildDate)
        .optionalElement("image", image)
        .optionalElement("category", category)
        .element("ttl", std::to_string(ttlMinutes))
        .optionalElement("stravo:analyticsLabel", analyticsLabel)
        .element("stravo:totalResults", std::to_string(totalResults));
    for (const FeedItem& item : items) item.write(xml);
    return xml.finish();
}

}  // namespace movra::backend
