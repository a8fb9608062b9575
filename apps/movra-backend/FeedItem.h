// FeedItem: one <item> of a catalogue feed (a menu entry, folder, shelf or title). Empty fields are left
// out of the document. Every member has a default so that entries are written with designated
// initializers naming only what they use.
#pragma once

#include <string>

namespace movra::backend {

class XmlWriter;

struct FeedItem {
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

    void write(XmlWriter& xml) const;
};

}  // namespace movra::backend
