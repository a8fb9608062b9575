#include "Model/MVRootMenuEntries.h"

#include "Model/MVChannel.h"
#include "Model/MVItem.h"
#include "Platform/Platform.h"

namespace movra {

std::shared_ptr<MVRootMenuEntries> MVRootMenuEntries::shared() {
    return Platform::current().sharedObject<MVRootMenuEntries>();
}

std::shared_ptr<MVItem> MVRootMenuEntries::searchItem() const {
    std::lock_guard lock(mutex_);
    return searchItem_;
}

void MVRootMenuEntries::setSearchItem(std::shared_ptr<MVItem> item) {
    std::lock_guard lock(mutex_);
    searchItem_ = std::move(item);
}

std::shared_ptr<MVItem> MVRootMenuEntries::recentlyWatched() const {
    std::lock_guard lock(mutex_);
    return recentlyWatched_;
}

void MVRootMenuEntries::setRecentlyWatched(std::shared_ptr<MVItem> item) {
    std::lock_guard lock(mutex_);
    recentlyWatched_ = std::move(item);
}

std::shared_ptr<MVItem> MVRootMenuEntries::watchlistItem() const {
    std::lock_guard lock(mutex_);
    return watchlistItem_;
}

void MVRootMenuEntries::setWatchlistItem(std::shared_ptr<MVItem> item) {
    std::lock_guard lock(mutex_);
    watchlistItem_ = std::move(item);
}

std::shared_ptr<MVItem> MVRootMenuEntries::lockableItem() const {
    std::lock_guard lock(mutex_);
    return lockableItem_;
}

void MVRootMenuEntries::setLockableItem(std::shared_ptr<MVItem> item) {
    std::lock_guard lock(mutex_);
    lockableItem_ = std::move(item);
}

void MVRootMenuEntries::takeEntriesFromMenu(const MVChannel& menu) {
    std::lock_guard lock(mutex_);
    for (const auto& item : menu.items()) {
        if (item->itemType() == MVItemTypeSearch && !searchItem_) searchItem_ = item;
        if (item->isRecentlyWatched() && !recentlyWatched_) recentlyWatched_ = item;
        if (item->isWatchlist() && !watchlistItem_) watchlistItem_ = item;
        // The first entry whose keywords hold "lockable", case and all.
        if (!lockableItem_ && item->keywords().value_or("").find("lockable") != std::string::npos) lockableItem_ = item;
    }
}

}  // namespace movra
