// The root menu as the client stores it, loaded for a command that waits for it on the main queue.
#pragma once

#include <memory>

#include "Foundation/Error.h"

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
/// lockable kids section, search) held on an application delegate, as the main menu registers them.
RootMenu loadRootMenuEntries(double timeoutSeconds);

}  // namespace movra::cli
