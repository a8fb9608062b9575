// SubscriberLists: what the emulated service keeps of one subscriber's viewing: the titles saved on the
// watchlist and the resume positions (bookmarks) of titles watched. Feeds served to the subscriber mark
// their items from it, and the watchlist and recently-watched channels are built from it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace movra::backend {

struct SubscriberLists {
    /// A resume position in whole seconds.
    struct Bookmark {
        std::string guid;
        int seconds = 0;
    };

    /// Guids of the saved titles, most recently saved first.
    std::vector<std::string> watchlist;
    /// Most recently watched first.
    std::vector<Bookmark> bookmarks;

    bool isSaved(std::string_view guid) const;
    std::optional<int> bookmarkFor(std::string_view guid) const;
};

}  // namespace movra::backend
