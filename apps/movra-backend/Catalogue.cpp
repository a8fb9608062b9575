// The emulated catalogue: the root menu, the sample catalogue's channels, search and the generated list.
#include "movra-backend/Catalogue.h"

#include "movra-backend/ImageProfile.h"
#include "movra-backend/SampleCatalogue.h"

#include <algorithm>

namespace movra::backend {

namespace {

// Minutes the client keeps a catalogue channel before it asks again.
constexpr int kCatalogueTtlMinutes = 30;
// The subscriber's own lists change with every title saved or watched; search results carry their marks.
constexpr int kSubscriberListTtlMinutes = 1;

// Cuts `channel`'s items down to the page `query` asks for.
void paginate(FeedChannel& channel, const FeedQuery& query) {
    std::vector<FeedItem> all = std::move(channel.items);
    channel.totalResults = static_cast<int>(all.size());
    channel.items.clear();
    // By the sort name, as a folder's children are, so that a title sorts alike in every list.
    auto name = [&](std::size_t i) { return all[i].titleSortName.empty() ? all[i].title : all[i].titleSortName; };
    for (std::size_t i : query.select(all.size(), name)) channel.items.push_back(std::move(all[i]));
}

FeedChannel channelOf(const CatalogueNode& node, const std::string& language, std::string_view baseUrl) {
    const std::string& updated = SampleCatalogue::shared().updated();
    return {.guid = node.guid,
            .title = node.title,
            .link = node.link,
            .description = node.description,
            .language = language,
            .pubDate = updated,
            .lastBuildDate = updated,
            .image = ImageProfile::named("TAVIK-POSTER")->url(baseUrl, node.guid),
            .category = node.category,
            .analyticsLabel = node.title,
            .ttlMinutes = kCatalogueTtlMinutes};
}

// A folder's page of its children; a title's channel holds the title alone.
FeedChannel nodeChannel(const CatalogueNode& node, const std::string& language, const FeedQuery& query,
                        std::string_view baseUrl) {
    FeedChannel channel = channelOf(node, language, baseUrl);
    if (node.isPlayable()) {
        channel.items.push_back(node.feedItem(baseUrl));
        paginate(channel, query);
        return channel;
    }
    channel.totalResults = static_cast<int>(node.children.size());
    auto name = [&](std::size_t i) { return node.children[i].node->nameToSortBy(); };
    for (std::size_t i : query.select(node.children.size(), name)) {
        const CatalogueNode::Child& child = node.children[i];
        channel.items.push_back(child.node->feedItem(baseUrl, &child));
    }
    return channel;
}

// Marks the titles and series of a page served to a subscriber with the subscriber's watchlist and
// resume positions.
void markForSubscriber(FeedChannel& channel, const SubscriberLists& lists) {
    for (FeedItem& item : channel.items) {
        const CatalogueNode* node = SampleCatalogue::shared().withGuid(item.guid);
        if (!node || !node->isSavable()) continue;
        item.savedAsset = lists.isSaved(item.guid);
        item.bookmark = lists.bookmarkFor(item.guid);
    }
}

// The watchlist or the recently watched titles of the subscriber, in the menu entry's channel.
FeedChannel subscriberChannel(const FeedItem& entry, bool watchlist, const std::string& language,
                              std::string_view baseUrl, const SubscriberLists* lists) {
    FeedChannel channel{.guid = entry.guid,
                        .title = entry.title,
                        .link = entry.link,
                        .language = language,
                        .analyticsLabel = entry.analyticsLabel,
                        .ttlMinutes = kSubscriberListTtlMinutes};
    if (!lists) return channel;
    std::vector<std::string> guids = lists->watchlist;
    if (!watchlist) {
        guids.clear();
        for (const auto& bookmark : lists->bookmarks) guids.push_back(bookmark.guid);
    }
    for (const std::string& guid : guids)
        if (const CatalogueNode* node = SampleCatalogue::shared().withGuid(guid))
            channel.items.push_back(node->feedItem(baseUrl));
    return channel;
}

}  // namespace

Catalogue::Catalogue(std::size_t generatedItems)
    : generatedItems_(generatedItems), titles_(SampleCatalogue::shared(), generatedItems) {}

std::optional<FeedChannel> Catalogue::channel(std::string_view path, const std::string& language,
                                              const FeedQuery& query, std::string_view baseUrl,
                                              const SubscriberLists* lists) const {
    FeedChannel menu = rootMenu(language);
    if (path == menu.link) {
        paginate(menu, query);
        return menu;
    }
    std::optional<FeedChannel> channel;
    auto entry = std::find_if(menu.items.begin(), menu.items.end(), [&](const FeedItem& e) { return e.link == path; });
    if (entry != menu.items.end() &&
        (entry->keywords == kWatchlistKeywords || entry->keywords == kRecentlyWatchedKeywords)) {
        channel = subscriberChannel(*entry, entry->keywords == kWatchlistKeywords, language, baseUrl, lists);
        paginate(*channel, query);
    } else if (path == kSearchPath || path == kSuggestionsPath) {
        channel = searchChannel(path == kSuggestionsPath, language, query, baseUrl);
    } else if (generatedItems_ > 0 && path == kGeneratedPath) {
        return generatedPage(generatedItems_, language, query, baseUrl);
    } else if (const CatalogueNode* node = SampleCatalogue::shared().atPath(path)) {
        channel = nodeChannel(*node, language, query, baseUrl);
    } else {
        return std::nullopt;
    }
    if (lists) markForSubscriber(*channel, *lists);
    return channel;
}

bool Catalogue::hasPictures(std::string_view guid) const {
    if (SampleCatalogue::shared().withGuid(guid)) return true;
    auto index = TitleGenerator::index(guid);
    return index && *index < generatedItems_;
}

FeedChannel Catalogue::searchChannel(bool suggestions, const std::string& language, const FeedQuery& query,
                                     std::string_view baseUrl) const {
    // One guid per feed, whatever the text: the client replaces the stored results of the last search.
    FeedChannel channel{.guid = suggestions ? "SEARCH_SUGGESTIONS" : "SEARCH_RESULTS",
                        .title = suggestions ? "Suggestions" : "Search",
                        .link = suggestions ? kSuggestionsPath : kSearchPath,
                        .language = language,
                        .pubDate = SampleCatalogue::shared().updated(),
                        .lastBuildDate = SampleCatalogue::shared().updated(),
                        .analyticsLabel = "Search",
                        .ttlMinutes = kSubscriberListTtlMinutes};
    const std::vector<std::size_t> found =
        suggestions ? titles_.find(query.searchText, kMostSuggestions) : titles_.find(query.searchText);
    channel.totalResults = static_cast<int>(found.size());
    auto name = [&](std::size_t i) { return titles_.sortName(found[i]); };
    for (std::size_t i : query.select(found.size(), name)) channel.items.push_back(titles_.feedItem(found[i], baseUrl));
    return channel;
}

FeedChannel Catalogue::generatedPage(std::size_t count, const std::string& language, const FeedQuery& query,
                                     std::string_view baseUrl) {
    const SampleCatalogue& sample = SampleCatalogue::shared();
    FeedChannel channel{.guid = "GENERATED",
                        .title = "Generated films",
                        .link = kGeneratedPath,
                        .description = std::to_string(count) + " generated films",
                        .language = language,
                        .pubDate = sample.updated(),
                        .lastBuildDate = sample.updated(),
                        .analyticsLabel = "Generated",
                        .ttlMinutes = kCatalogueTtlMinutes,
                        .totalResults = static_cast<int>(count)};
    const TitleGenerator& generator = sample.generator();
    auto name = [&](std::size_t i) {
        std::string title = generator.title(i);
        std::string sortName = TitleGenerator::sortName(title);
        return sortName.empty() ? title : sortName;
    };
    for (std::size_t i : query.select(count, name)) channel.items.push_back(generator.film(i).feedItem(baseUrl));
    return channel;
}

std::string Catalogue::generatedPageXml(std::size_t count, int offset, int max, std::string_view baseUrl,
                                        const std::string& language) {
    FeedQuery query;
    query.offset = std::max(0, offset);
    query.max = std::max(1, max);
    return generatedPage(count, language, query, baseUrl).toXml();
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
         .link = kSearchPath,
         .itemType = "search",
         .analyticsLabel = "Search",
         .suggestions = kSuggestionsPath},
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
