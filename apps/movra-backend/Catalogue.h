// Catalogue: the channels the emulated back end serves, by browse path. For now the root menu; the
// sample catalogue behind its entries grows here.
//
// Thread contract: const after construction; read from any worker thread.
#pragma once

#include "movra-backend/FeedChannel.h"

#include <optional>
#include <string>
#include <string_view>

namespace movra::backend {

class Catalogue {
  public:
    /// Keywords and categories of the root menu's special entries, as the client recognises them.
    static constexpr const char* kLandingKeywords = "Landing";
    static constexpr const char* kKidsKeywords = "lockable, kids";
    static constexpr const char* kWatchlistKeywords = "watchlist";
    static constexpr const char* kWatchlistCategory = "watchlist";
    static constexpr const char* kRecentlyWatchedKeywords = "recentlywatched";

    /// The channel at `path` (relative to the client API base, e.g. "browse") for a request in `language`
    /// (the bare language code, without the tenant suffix); nullopt for an unknown path.
    std::optional<FeedChannel> channel(std::string_view path, const std::string& language) const;

    /// The root menu (channel guid "ROOT"), the answer to "browse".
    FeedChannel rootMenu(const std::string& language) const;
};

}  // namespace movra::backend
