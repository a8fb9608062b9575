// TitleSearch: what the search and suggestions feeds look through: the catalogue's films, series and
// episodes, and the generated films when there are any, by their titles folded so that a subscriber need
// not type case or diacritics ("lucia" finds "Lucía", "malmo" "Malmö").
//
// Thread contract: const after construction; read from any worker thread.
#pragma once

#include "movra-backend/FeedItem.h"
#include "movra-backend/SampleCatalogue.h"

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace movra::backend {

class TitleSearch {
  public:
    /// Indexes `sample`'s titles and the first `generatedItems` of its generated films.
    TitleSearch(const SampleCatalogue& sample, std::size_t generatedItems);

    /// The entries whose folded title contains the folded `text`, best first: titles that start with it,
    /// then titles with a word that starts with it, then the rest; each group by sort name. At most
    /// `limit`; none for a text that folds to nothing.
    std::vector<std::size_t> find(std::string_view text,
                                  std::size_t limit = std::numeric_limits<std::size_t>::max()) const;
    /// Entry `entry` as a feed item, as its own channel lists it.
    FeedItem feedItem(std::size_t entry, std::string_view baseUrl) const;
    /// Entry `entry`'s sort name (else its title), folded.
    std::string sortName(std::size_t entry) const;

    /// `text` (UTF-8) in lower case without diacritics, typographic apostrophes as "'", every run of
    /// blanks and control characters as one space and none at either end. Bytes that are not UTF-8 are
    /// dropped; letters outside the Latin ones are kept as they are.
    static std::string fold(std::string_view text);

  private:
    struct Entry {
        /// The sample catalogue's node; nullptr for generated film `generated`.
        const CatalogueNode* node;
        std::size_t generated;
        std::string folded;
    };

    const SampleCatalogue& sample_;
    std::vector<Entry> entries_;
};

}  // namespace movra::backend
