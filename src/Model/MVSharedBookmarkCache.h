// MVSharedBookmarkCache: resume positions in whole seconds by title guid, shared by the feed import,
// screens, the player and the cast sender. Memory only; emptied at sign-out.
//
// Thread contract: every member may be called from any thread; reads and writes take the lock.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace movra {

class MVSharedBookmarkCache {
public:
    static std::shared_ptr<MVSharedBookmarkCache> sharedCache();
    /// Empties the shared cache.
    static void resetCache();

    /// Stores `seconds` for `guid`; an empty guid stores nothing.
    void setBookmarkSeconds(long long seconds, const std::string& guid);
    std::optional<long long> bookmarkForGuid(const std::string& guid) const;
    std::map<std::string, long long> bookmarkCache() const;
    void removeAll();

private:
    mutable std::mutex mutex_;
    std::map<std::string, long long> cache_;
};

}  // namespace movra
