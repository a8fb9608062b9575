// Catalogue: the channels the emulated back end serves, by browse path: the root menu, the sample
// catalogue behind its entries (sections, shelves, series, seasons and single titles at "browse/<guid>"),
// the subscriber's own lists, the search and suggestions feeds over all titles, and on request a generated
// list of any length for load tests. Every channel is served a page at a time.
//
// Thread contract: const after construction; read from any worker thread.
#pragma once

#include "movra-backend/FeedChannel.h"
#include "movra-backend/FeedQuery.h"
#include "movra-backend/SubscriberLists.h"
#include "movra-backend/TitleSearch.h"

#include <cstddef>
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

    /// Where the generated list is served.
    static constexpr const char* kGeneratedPath = "browse/generated";
    /// Where the root menu's search entry sends a search and the suggestions while typing.
    static constexpr const char* kSearchPath = "search";
    static constexpr const char* kSuggestionsPath = "suggestions";
    /// The most suggestions answered for one text.
    static constexpr std::size_t kMostSuggestions = 10;
    /// The base URL of the links in pages made without a server.
    static constexpr const char* kOfflineBaseUrl = "https://movra-backend.invalid";

    /// `generatedItems` above 0 adds a list of that many generated films at kGeneratedPath, which search
    /// finds as well.
    explicit Catalogue(std::size_t generatedItems = 0);

    /// The page `query` asks for of the channel at `path` (relative to the client API base, e.g.
    /// "browse") for a request in `language` (the bare language code, without the tenant suffix), with its
    /// links under `baseUrl` ("https://host:port"); nullopt for an unknown path. For a subscriber (`lists`
    /// given) every title and series says whether it is on the watchlist and titles watched carry their
    /// resume position; the watchlist and recently-watched channels list the subscriber's titles, most
    /// recent first, and are empty for a request without one. At kSearchPath every title, series and
    /// episode whose title holds the query's search text, best first; at kSuggestionsPath the best
    /// kMostSuggestions of them.
    std::optional<FeedChannel> channel(std::string_view path, const std::string& language, const FeedQuery& query,
                                       std::string_view baseUrl, const SubscriberLists* lists = nullptr) const;

    /// The root menu (channel guid "ROOT"), the answer to "browse", all of it.
    FeedChannel rootMenu(const std::string& language) const;

    /// Whether pictures are drawn for `guid`: every node of the catalogue and every generated film served.
    bool hasPictures(std::string_view guid) const;

    /// The feed document of one page of a generated list of `count` films, without a server: what
    /// kGeneratedPath answers with those items, for benchmarks of the client's import. `max` is not cut to
    /// FeedQuery::kLargestMax here, so that a benchmark may parse pages of any size.
    static std::string generatedPageXml(std::size_t count, int offset, int max,
                                        std::string_view baseUrl = kOfflineBaseUrl, const std::string& language = "en");

  private:
    FeedChannel searchChannel(bool suggestions, const std::string& language, const FeedQuery& query,
                              std::string_view baseUrl) const;
    static FeedChannel generatedPage(std::size_t count, const std::string& language, const FeedQuery& query,
                                     std::string_view baseUrl);

    std::size_t generatedItems_;
    TitleSearch titles_;
};

}  // namespace movra::backend
