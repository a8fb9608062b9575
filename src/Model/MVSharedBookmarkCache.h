// MVSharedBookmarkCache: resume positions in whole seconds by title guid, shared by the feed import,
// screens, the player and the cast sender. All stored records of one title (one per channel listing it)
// share its position. Memory only; emptied at sign-out.
//
// Thread contract: every member may be called from any thread; feed imports write from the store's writer
// queue while the main queue reads and writes. Reads take the lock as well as writes, and the read that
// seeds a position from the feed stores it only when no position came in meanwhile.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace movra {

class MVItem;

class MVSharedBookmarkCache {
  public:
    static std::shared_ptr<MVSharedBookmarkCache> sharedCache();

    /// Stores the position of the item's title: `seconds` when 0 or more, else the item's feed bookmark
    /// (0 without one). An item without a guid stores nothing.
    void setBookmarkSeconds(long long seconds, const MVItem& item);
    /// The cached position of the item's title; a title not yet cached is seeded with the item's feed
    /// bookmark (0 without one), which is returned. An item without a guid gives its feed bookmark.
    long long bookmarkPositionForAsset(const MVItem& item);
    /// Empties the cache.
    void resetCache();
    /// A copy of the positions by guid.
    std::map<std::string, long long> bookmarkCache() const;

  private:
    mutable std::mutex mutex_;
    std::map<std::string, long long> bookmarkCache_;
};

}  // namespace movra
