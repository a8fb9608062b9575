#include "Model/MVSharedBookmarkCache.h"

#include "Foundation/Json.h"
#include "Model/MVItem.h"
#include "Platform/Platform.h"

namespace movra {

std::shared_ptr<MVSharedBookmarkCache> MVSharedBookmarkCache::sharedCache() {
    return Platform::current().sharedObject<MVSharedBookmarkCache>();
}

void MVSharedBookmarkCache::setBookmarkSeconds(long long seconds, const MVItem& item) {
    if (isEmpty(item.guid())) return;
    const long long position = seconds >= 0 ? seconds : static_cast<long long>(item.bookmarkPosition());
    std::lock_guard lock(mutex_);
    bookmarkCache_[*item.guid()] = position;
}

long long MVSharedBookmarkCache::bookmarkPositionForAsset(const MVItem& item) {
    const long long feedPosition = item.bookmarkPosition();
    if (isEmpty(item.guid())) return feedPosition;
    // Look-up and seeding in one step: a position the player stores between them must not be replaced by
    // the older one of the feed.
    std::lock_guard lock(mutex_);
    return bookmarkCache_.try_emplace(*item.guid(), feedPosition).first->second;
}

void MVSharedBookmarkCache::resetCache() {
    std::lock_guard lock(mutex_);
    bookmarkCache_.clear();
}

std::map<std::string, long long> MVSharedBookmarkCache::bookmarkCache() const {
    std::lock_guard lock(mutex_);
    return bookmarkCache_;
}

}  // namespace movra
