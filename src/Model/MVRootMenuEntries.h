// MVRootMenuEntries: the root menu's special entries (search, the recently watched titles, the watchlist and the
// lockable kids section). The catalogue's rules read them here (the kids filter needs the lockable entry's
// label) and the menu fills them when it loads, so that the model does not reach up to the app delegate.
//
// Thread contract: any thread, while a platform is installed.
#pragma once

#include <memory>
#include <mutex>

namespace movra {

class MVChannel;
class MVItem;

class MVRootMenuEntries {
  public:
    /// The entries of the installed platform, made on first use.
    static std::shared_ptr<MVRootMenuEntries> shared();

    std::shared_ptr<MVItem> searchItem() const;
    void setSearchItem(std::shared_ptr<MVItem> item);
    std::shared_ptr<MVItem> recentlyWatched() const;
    void setRecentlyWatched(std::shared_ptr<MVItem> item);
    std::shared_ptr<MVItem> watchlistItem() const;
    void setWatchlistItem(std::shared_ptr<MVItem> item);
    /// The entry whose keywords contain "lockable": its analytics label prefixes the kids categories.
    std::shared_ptr<MVItem> lockableItem() const;
    void setLockableItem(std::shared_ptr<MVItem> item);

    /// Takes each entry not yet known from a loaded menu, the first of its kind in menu order.
    void takeEntriesFromMenu(const MVChannel& menu);

  private:
    mutable std::mutex mutex_;
    std::shared_ptr<MVItem> searchItem_, recentlyWatched_, watchlistItem_, lockableItem_;
};

}  // namespace movra
