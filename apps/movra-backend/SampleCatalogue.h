// SampleCatalogue: the emulator's catalogue as its data file describes it: films; series with their
// seasons and episodes; the sections behind the root menu's entries, each with its carousel and shelves;
// and the word lists generated films are made from. The file is compiled in and read once.
//
// Thread contract: immutable once built; shared() may be called from any thread.
#pragma once

#include "Foundation/Json.h"
#include "movra-backend/CatalogueNode.h"
#include "movra-backend/TitleGenerator.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace movra::backend {

class SampleCatalogue {
  public:
    /// The catalogue of the compiled-in data file.
    static const SampleCatalogue& shared();

    /// The node browsed at `path` ("browse/landing", "browse/<guid>"), or nullptr.
    const CatalogueNode* atPath(std::string_view path) const;
    /// The node with that guid, or nullptr.
    const CatalogueNode* withGuid(std::string_view guid) const;
    /// Every node, in the data file's order.
    const std::deque<CatalogueNode>& nodes() const { return nodes_; }
    /// When the catalogue last changed, in the feeds' date form; the date of every channel.
    const std::string& updated() const { return updated_; }
    const TitleGenerator& generator() const { return generator_; }

  private:
    /// Reads the data file; entries it cannot use are logged and left out.
    explicit SampleCatalogue(std::string_view json);

    CatalogueNode& add(CatalogueNode node);
    void addFilm(const Json& film);
    void addSeries(const Json& series);
    void addSection(const Json& section);
    /// The node `guid` as `folder` lists it; nullopt (logged) for an unknown guid.
    std::optional<CatalogueNode::Child> childOf(const CatalogueNode& folder, const std::string& guid,
                                                std::string keywords = {}) const;

    // A deque, so that nodes stay where they are while later ones are added.
    std::deque<CatalogueNode> nodes_;
    std::map<std::string, const CatalogueNode*, std::less<>> byGuid_;
    std::map<std::string, const CatalogueNode*, std::less<>> byPath_;
    std::string updated_;
    TitleGenerator generator_;
};

}  // namespace movra::backend
