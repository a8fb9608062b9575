// MVDataManager: the catalogue's root menu, served from the store while it is fresh for the current
// language and fetched otherwise; the query screens show a channel's stored items with; and the refresh
// rules of the subscriber's own shelves (watchlist, continue watching).
//
// Thread contract: main queue; completions run on the main queue.
#pragma once

#include "API/MVHTTPClient.h"
#include "Foundation/Error.h"
#include "Model/StoreContext.h"

#include <functional>
#include <memory>
#include <string>

namespace movra {

class MVChannel;

class MVDataManager {
  public:
    /// (error, the root menu channel with at least one item, or nullptr).
    using RootMenuCompletion = std::function<void(ErrorPtr error, std::shared_ptr<MVChannel> rootMenu)>;
    /// Items a shelf of the subscriber's own asks for.
    static constexpr unsigned long kShelfPageSize = 30;

    /// Answers at once from a fresh stored root menu; otherwise fetches and imports it first.
    static void loadRootMenuItemsWithCompletion(RootMenuCompletion completion);

    /// The items screens show of the channel `guid`: those of the stored channel while it is fresh and of
    /// the current language, in channel order, filtered for the active profile.
    static StoreContext::ItemQuery channelItemsQuery(const std::string& guid);

    /// The watchlist shelf: its first page again (ignoring the cache, replacing the stored items), from
    /// the root menu's watchlist entry. nullptr, and no completion, while the menu has no such entry.
    static HttpTaskPtr refreshWatchlistShelfWithCompletion(MVHTTPClient::BrowseCompletion completion);
    /// The continue-watching shelf: the same from the recently-watched entry.
    static HttpTaskPtr refreshContinueWatchingShelfWithCompletion(MVHTTPClient::BrowseCompletion completion);
    /// After a playback ends: the recently-watched channel's first page is imported again (appending) so
    /// that the next visit finds it up to date; nobody waits for it.
    static void refreshRecentlyWatchedAfterPlayback();
};

}  // namespace movra
