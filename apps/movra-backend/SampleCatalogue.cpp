// Reading the catalogue data file into nodes.
#include "movra-backend/SampleCatalogue.h"

#include "Foundation/Log.h"
#include "embedded/catalogue.json.h"

#include <cstdio>

namespace movra::backend {

namespace {

std::string text(const Json& object, std::string_view key) { return stringValue(object, key).value_or(""); }

// The value under `key`, or nullptr when `object` is no object or has no such key.
const Json* member(const Json& object, const char* key) {
    if (!object.is_object()) return nullptr;
    auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

bool flag(const Json& object, const char* key) {
    const Json* value = member(object, key);
    return value && value->is_boolean() && value->get<bool>();
}

int whole(const Json& object, const char* key) {
    const Json* value = member(object, key);
    return value && value->is_number_integer() ? value->get<int>() : 0;
}

// The array under `key`; an empty one when there is none.
const Json& list(const Json& object, const char* key) {
    static const Json kNone = Json::array();
    const Json* value = member(object, key);
    return value && value->is_array() ? *value : kNone;
}

std::vector<std::string> texts(const Json& object, const char* key) {
    std::vector<std::string> values;
    for (const Json& value : list(object, key))
        if (value.is_string()) values.push_back(value.get<std::string>());
    return values;
}

std::optional<FeedItem::Tagline> taglineOf(const Json& object) {
    const Json* tagline = member(object, "tagline");
    if (!tagline || !tagline->is_object()) return std::nullopt;
    return FeedItem::Tagline{text(*tagline, "position"), text(*tagline, "color"), text(*tagline, "line1"),
                             text(*tagline, "line2"), text(*tagline, "line3")};
}

// The credits of a film (its director) or a series (its creator), then the cast.
std::vector<FeedItem::Credit> creditsOf(const Json& object) {
    std::vector<FeedItem::Credit> credits;
    if (auto director = stringValue(object, "director")) credits.push_back({"director", *director});
    if (auto creator = stringValue(object, "creator")) credits.push_back({"producer", *creator});
    for (std::string& actor : texts(object, "cast")) credits.push_back({"actor", std::move(actor)});
    return credits;
}

// What every node of the data file has: guid, title, sort name, description, rating and credits.
CatalogueNode nodeOf(CatalogueNode::Kind kind, const Json& object) {
    CatalogueNode node{.kind = kind,
                       .guid = text(object, "guid"),
                       .title = text(object, "title"),
                       .sortName = text(object, "sortName"),
                       .description = text(object, "description"),
                       .rating = text(object, "rating"),
                       .credits = creditsOf(object)};
    node.link = "browse/" + node.guid;
    return node;
}

}  // namespace

const SampleCatalogue& SampleCatalogue::shared() {
    static const SampleCatalogue catalogue(embedded::kCatalogueJson);
    return catalogue;
}

SampleCatalogue::SampleCatalogue(std::string_view json) {
    const Json document = Json::parse(json, nullptr, /*allow_exceptions=*/false);
    if (!document.is_object()) {
        Log::error("movra-backend: the catalogue data file is not a JSON object");
        return;
    }
    updated_ = text(document, "updated");
    for (const Json& film : list(document, "films")) addFilm(film);
    for (const Json& series : list(document, "series")) addSeries(series);
    for (const Json& section : list(document, "sections")) addSection(section);

    const Json* generated = member(document, "generated");
    const Json& words = generated ? *generated : document;
    TitleGenerator::Words lists{texts(words, "titleForms"), texts(words, "adjectives"), texts(words, "nouns"),
                                texts(words, "places"),     texts(words, "givenNames"), texts(words, "familyNames"),
                                texts(words, "genres"),     texts(words, "ratings"),    texts(words, "heroes"),
                                texts(words, "settings"),   texts(words, "plots")};
    for (const auto* each :
         {&lists.titleForms, &lists.adjectives, &lists.nouns, &lists.places, &lists.givenNames, &lists.familyNames,
          &lists.genres, &lists.ratings, &lists.heroes, &lists.settings, &lists.plots}) {
        if (each->empty()) {
            Log::error("movra-backend: the catalogue data file lacks a word list of \"generated\"");
            return;
        }
    }
    generator_ = TitleGenerator(std::move(lists));
}

const CatalogueNode* SampleCatalogue::atPath(std::string_view path) const {
    auto found = byPath_.find(path);
    return found == byPath_.end() ? nullptr : found->second;
}

const CatalogueNode* SampleCatalogue::withGuid(std::string_view guid) const {
    auto found = byGuid_.find(guid);
    return found == byGuid_.end() ? nullptr : found->second;
}

CatalogueNode& SampleCatalogue::add(CatalogueNode node) {
    CatalogueNode& added = nodes_.emplace_back(std::move(node));
    if (!byGuid_.emplace(added.guid, &added).second) Log::error("movra-backend: catalogue guid {} twice", added.guid);
    byPath_.emplace(added.link, &added);
    return added;
}

void SampleCatalogue::addFilm(const Json& film) {
    CatalogueNode node = nodeOf(CatalogueNode::Kind::Film, film);
    node.year = whole(film, "year");
    node.minutes = whole(film, "minutes");
    node.audioLanguages = texts(film, "audio");
    node.subtitleLanguages = texts(film, "subtitles");
    node.rentPrice = text(film, "rentPrice");
    node.tagline = taglineOf(film);
    node.classify(texts(film, "genres"), flag(film, "kids"));
    add(std::move(node));
}

void SampleCatalogue::addSeries(const Json& series) {
    const std::vector<std::string> genres = texts(series, "genres");
    const bool kids = flag(series, "kids");
    CatalogueNode& show = add(nodeOf(CatalogueNode::Kind::Series, series));
    show.tagline = taglineOf(series);
    show.classify(genres, kids);

    int episodeInSeries = 0;
    int seasonNumber = 0;
    for (const Json& seasonData : list(series, "seasons")) {
        ++seasonNumber;
        const std::string seasonGuid = show.guid + "-s" + std::to_string(seasonNumber);
        CatalogueNode& season = add({.kind = CatalogueNode::Kind::Season,
                                     .guid = seasonGuid,
                                     .link = "browse/" + seasonGuid,
                                     .title = "Season " + std::to_string(seasonNumber),
                                     .description = text(seasonData, "description"),
                                     .year = whole(seasonData, "year"),
                                     .rating = show.rating,
                                     .credits = show.credits,
                                     .parent = &show,
                                     .seriesTitle = show.title,
                                     .seasonNumber = seasonNumber});
        season.classify(genres, kids);
        show.children.push_back({&season});
        if (show.year == 0) show.year = season.year;

        int episodeInSeason = 0;
        for (const Json& episodeData : list(seasonData, "episodes")) {
            ++episodeInSeason;
            ++episodeInSeries;
            char number[16];
            std::snprintf(number, sizeof number, "e%02d", episodeInSeason);
            CatalogueNode episode = nodeOf(CatalogueNode::Kind::Episode, episodeData);
            episode.guid = season.guid + number;
            episode.link = "browse/" + episode.guid;
            episode.year = season.year;
            episode.minutes = whole(episodeData, "minutes");
            episode.rating = show.rating;
            episode.credits = show.credits;
            episode.audioLanguages = texts(series, "audio");
            episode.subtitleLanguages = texts(series, "subtitles");
            episode.parent = &season;
            episode.seriesTitle = show.title;
            episode.seasonNumber = seasonNumber;
            episode.episodeInSeason = episodeInSeason;
            episode.episodeInSeries = episodeInSeries;
            episode.classify(genres, kids);
            season.children.push_back({&add(std::move(episode))});
        }
    }
}

void SampleCatalogue::addSection(const Json& section) {
    CatalogueNode& folder = add({.kind = CatalogueNode::Kind::Section,
                                 .guid = text(section, "guid"),
                                 .link = text(section, "link"),
                                 .title = text(section, "title"),
                                 .description = text(section, "description"),
                                 .category = text(section, "category")});
    for (const Json& guid : list(section, "carousel")) {
        if (auto child = childOf(folder, guid.is_string() ? guid.get<std::string>() : "", "carousel")) {
            folder.children.push_back(std::move(*child));
        }
    }
    for (const Json& shelfData : list(section, "shelves")) {
        CatalogueNode shelf = nodeOf(CatalogueNode::Kind::Shelf, shelfData);
        shelf.keywords = text(shelfData, "keywords");
        shelf.category = text(shelfData, "category");
        for (const std::string& guid : texts(shelfData, "titles")) {
            if (auto child = childOf(shelf, guid)) shelf.children.push_back(std::move(*child));
        }
        folder.children.push_back({&add(std::move(shelf))});
    }
}

std::optional<CatalogueNode::Child> SampleCatalogue::childOf(const CatalogueNode& folder, const std::string& guid,
                                                             std::string keywords) const {
    const CatalogueNode* node = withGuid(guid);
    if (!node) {
        Log::error("movra-backend: catalogue folder {} lists \"{}\", which the catalogue does not hold", folder.guid,
                   guid);
        return std::nullopt;
    }
    CatalogueNode::Child child{node, std::move(keywords)};
    if (node->kind == CatalogueNode::Kind::Season && node->parent != &folder)
        child.shortcutGuid = folder.guid + "-" + guid;
    return child;
}

}  // namespace movra::backend
