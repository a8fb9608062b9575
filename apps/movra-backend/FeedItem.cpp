// Writes one feed item.
#include "movra-backend/FeedItem.h"

#include "movra-backend/XmlWriter.h"

namespace movra::backend {

void FeedItem::write(XmlWriter& xml) const {
    xml.open("item")
        .optionalElement("title", title)
        .optionalElement("guid", guid)
        .optionalElement("link", link)
        .optionalElement("description", description)
        .optionalElement("category", category)
        .optionalElement("media:keywords", keywords)
        .optionalElement("stravo:itemType", itemType)
        .optionalElement("stravo:analyticsLabel", analyticsLabel)
        .optionalElement("stravo:suggestions", suggestions)
        .close();
}

}  // namespace movra::backend
