// Look-ups in a subscriber's watchlist and bookmarks.
#include "movra-backend/SubscriberLists.h"

#include <algorithm>

namespace movra::backend {

bool SubscriberLists::isSaved(std::string_view guid) const {
    return std::find(watchlist.begin(), watchlist.end(), guid) != watchlist.end();
}

std::optional<int> SubscriberLists::bookmarkFor(std::string_view guid) const {
    auto found = std::find_if(bookmarks.begin(), bookmarks.end(), [&](const Bookmark& b) { return b.guid == guid; });
    return found == bookmarks.end() ? std::nullopt : std::optional<int>(found->seconds);
}

}  // namespace movra::backend
