#include "Model/MVSharedBookmarkCache.h"

#include "Platform/Platform.h"

namespace movra {

std::shared_ptr<MVSharedBookmarkCache> MVSharedBookmarkCache::sharedCache() {
    return Platform::current().sharedObject<MVSharedBookmarkCache>();
}

void MVSharedBookmarkCache::resetCache() { sharedCache()->removeAll(); }

void MVSharedBookmarkCache::setBookmarkSeconds(long long seconds, const std::string& guid) {
    if (guid.empty()) return;
    std::lock_guard lock(mutex_);
    cache_[guid] = seconds;
}

std::optional<long long> MVSharedBookmarkCache::bookmarkForGuid(const std::string& guid) const {
    std::lock_guard lock(mutex_);
    auto it = cache_.find(guid);
    if (it == cache_.end()) return std::nullopt;
    return it->second;
}

std::map<std::string, long long> MVSharedBookmarkCache::bookmarkCache() const {
    std::lock_guard lock(mutex_);
    return cache_;
}

void MVSharedBookmarkCache::removeAll() {
    std::lock_guard lock(mutex_);
    cache_.clear();
}

}  // namespace movra
