// The emulated catalogue: the root menu and its entries.
#include "movra-backend/Catalogue.h"

namespace movra::backend {

std::optional<FeedChannel> Catalogue::channel(std::string_view path, const std::string& language) const {
    if (path == "browse") return rootMenu(language);
    return std::nullopt;
}

FeedChannel Catalogue::rootMenu(const std::string& language) const {
    FeedChannel menu;
    menu.guid = "ROOT";
    menu.title = "Movra";
    menu.link = "browse";
    menu.description = "Main menu";
    menu.language = language;
    menu.analyticsLabel = "Menu";
    menu.ttlMinutes = 60;
    // Titles of series and seasons carry "Series"/"Season" in their keywords; the menu's own series entry
    // must not, or the client would open it as a single series.
    menu.items = {
        {.guid = "LANDING",
         .title = "Home",
         .link = "browse/landing",
         .keywords = kLandingKeywords,
         .itemType = "folder",
         .analyticsLabel = "Home"},
        {.guid = "KIDS",
         .title = "Kids",
         .link = "browse/kids",
         .category = "Kids",
         .keywords = kKidsKeywords,
         .itemType = "folder",
         .analyticsLabel = "Kids"},
        {.guid = "FILMS",
         .title = "Films",
         .link = "browse/films",
         .keywords = "Featured",
         .itemType = "folder",
         .analyticsLabel = "Films"},
        {.guid = "TV_SERIES",
         .title = "TV Series",
         .link = "browse/tv",
         .keywords = "Featured",
         .itemType = "folder",
         .analyticsLabel = "TV Series"},
        {.guid = "WATCHLIST",
         .title = "My Watchlist",
         .link = "browse/watchlist",
         .category = kWatchlistCategory,
         .keywords = kWatchlistKeywords,
         .itemType = "folder",
         .analyticsLabel = "Watchlist"},
        {.guid = "RECENTLY_WATCHED",
         .title = "Continue Watching",
         .link = "browse/recentlywatched",
         .keywords = kRecentlyWatchedKeywords,
         .itemType = "folder",
         .analyticsLabel = "Recently Watched"},
        {.guid = "SEARCH",
         .title = "Search",
         .link = "search",
         .itemType = "search",
         .analyticsLabel = "Search",
         .suggestions = "suggestions"},
        {.guid = "SETTINGS",
         .title = "Settings",
         .link = "settings",
         .itemType = "settings",
         .analyticsLabel = "Settings"},
        {.guid = "IDENTITY",
         .title = "My Account",
         .link = "account",
         .itemType = "identity",
         .analyticsLabel = "Account"},
    };
    return menu;
}

}  // namespace movra::backend
