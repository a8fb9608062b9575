// TitleGenerator: films made up from word lists, for load tests: titles, descriptions, people and
// languages that read like a real catalogue's. Film i depends on i alone, so a catalogue of N generated
// films is the first N of any larger one.
//
// Thread contract: const after construction; read from any thread.
#pragma once

#include "movra-backend/CatalogueNode.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace movra::backend {

class TitleGenerator {
  public:
    struct Words {
        /// Title patterns with the placeholders {adjective}, {noun}, {place} and {given}.
        std::vector<std::string> titleForms;
        std::vector<std::string> adjectives;
        std::vector<std::string> nouns;
        /// Town names, for titles.
        std::vector<std::string> places;
        std::vector<std::string> givenNames;
        std::vector<std::string> familyNames;
        std::vector<std::string> genres;
        /// Drawn from as they stand, so a value listed twice is twice as common.
        std::vector<std::string> ratings;
        /// "a retired police inspector": who a description is about.
        std::vector<std::string> heroes;
        /// "on the Gotland coast": where it happens.
        std::vector<std::string> settings;
        /// "reopens a case everyone else wanted closed": what happens.
        std::vector<std::string> plots;
    };

    /// Generates nothing until given words; every list must then be non-empty.
    TitleGenerator() = default;
    explicit TitleGenerator(Words words);

    /// "generated-000042" for film 42.
    static std::string guid(std::size_t index);
    /// The index of a generated film's guid, or nullopt for any other text.
    static std::optional<std::size_t> index(std::string_view guid);

    /// Film `index`'s title alone (what sorting by name needs), cheaper than the whole film.
    std::string title(std::size_t index) const;
    /// The sort name of a generated title: a leading "The" moved to the end; empty when there is none.
    static std::string sortName(const std::string& title);
    CatalogueNode film(std::size_t index) const;

  private:
    Words words_;
};

}  // namespace movra::backend
