// CatalogueNode: one entry of the emulated catalogue: a section, shelf, series or season (a folder whose
// children the client browses) or a film or episode (a title it plays), with the editorial data its feed
// item is written from. Every member has a default, so that nodes are built with designated initializers.
#pragma once

#include "movra-backend/FeedItem.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace movra::backend {

struct CatalogueNode {
    enum class Kind { Section, Shelf, Series, Season, Film, Episode };

    /// A node as one folder lists it.
    struct Child {
        const CatalogueNode* node = nullptr;
        /// Keywords the listing adds to the node's own ("carousel" at the top of a section).
        std::string keywords{};
        /// Set when a shelf lists a season away from its series: the item then has this guid of its own and
        /// names the season as the guid to open, so that the client opens the series at that season.
        std::string shortcutGuid{};
    };

    Kind kind = Kind::Film;
    std::string guid{};
    /// Browse path relative to the API base: "browse/<guid>" for everything but the sections.
    std::string link{};
    std::string title{};
    /// The title with a leading article moved to its end; empty when the title sorts as it stands.
    std::string sortName{};
    std::string description{};
    std::string category{};
    std::string keywords{};
    int year = 0;
    int minutes = 0;
    /// Age rating; "NR" for an unrated title.
    std::string rating{};
    std::vector<FeedItem::Credit> credits{};
    /// ISO 639-1 codes.
    std::vector<std::string> audioLanguages{};
    std::vector<std::string> subtitleLanguages{};
    /// Price of renting the title on top of the subscription; empty when it comes with the subscription only.
    std::string rentPrice{};
    std::optional<FeedItem::Tagline> tagline{};
    /// The series of a season, the season of an episode.
    const CatalogueNode* parent = nullptr;
    std::string seriesTitle{};
    int seasonNumber = 0;
    int episodeInSeason = 0;
    int episodeInSeries = 0;
    std::vector<Child> children{};

    bool isPlayable() const { return kind == Kind::Film || kind == Kind::Episode; }
    /// Titles and whole series go on the watchlist; sections, shelves and seasons do not.
    bool isSavable() const { return isPlayable() || kind == Kind::Series; }
    /// What a list sorted by name orders by: the sort name, else the title.
    const std::string& nameToSortBy() const;
    /// Sets the keywords and category the client classifies the node by: its kind ("film", "Series",
    /// "Season", "episode"), its genres, and "kids" with a "Kids/" category for children's titles.
    void classify(const std::vector<std::string>& genres, bool kids);
    /// The node as an item of a feed for a client that reaches the emulator at `baseUrl`
    /// ("https://host:port"); `child` is how a folder lists it, nullptr in the node's own channel.
    FeedItem feedItem(std::string_view baseUrl, const Child* child = nullptr) const;
};

}  // namespace movra::backend
