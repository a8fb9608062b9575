// The root menu as the client stores it, and the subscriber shelves behind its entries, loaded for a command that
// waits for them on the main queue.
#pragma once

#include "Foundation/Error.h"
#include "movra/ClientSession.h"

#include <memory>

namespace movra {
class MVChannel;
}

namespace movra::cli {

struct RootMenu {
    /// Null when the menu could not be loaded in time; `error` then says why, when anything did.
    std::shared_ptr<MVChannel> menu;
    ErrorPtr error;
};

/// Loads the menu through the data manager (the store while it is fresh), turning the main queue for at
/// most `timeoutSeconds`.
RootMenu loadRootMenu(double timeoutSeconds);
/// loadRootMenu(), then the menu's special entries (the watchlist, the recently watched titles, the
/// lockable kids section, search) taken into MVRootMenuEntries, as the main menu registers them.
RootMenu loadRootMenuEntries(double timeoutSeconds);

/// loadRootMenuEntries() with the commands' timeout; on failure prints why and answers nullptr.
std::shared_ptr<MVChannel> loadRootMenuEntriesOrSay(const GlobalOptions& options);

/// The subscriber's own shelves.
enum class SubscriberShelf { Watchlist, ContinueWatching };
/// The menu's entries loaded, then the shelf's first page fetched as its refresh rule says: the stored
/// channel, or nullptr once the failure has been printed.
std::shared_ptr<MVChannel> refreshSubscriberShelf(ClientSession& session, SubscriberShelf shelf);

}  // namespace movra::cli
