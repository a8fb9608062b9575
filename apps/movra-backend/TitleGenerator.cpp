// Deterministic made-up films.
#include "movra-backend/TitleGenerator.h"

#include "Foundation/Strings.h"
#include "movra-backend/FormEncoding.h"

#include <cstdint>
#include <cstdio>

namespace movra::backend {

namespace {

constexpr std::string_view kGuidPrefix = "generated-";
const std::vector<std::string> kLanguages = {"sv", "en", "no", "da", "fi"};

// A splitmix64 stream seeded by the film's index and the field it draws for: fields do not shift each
// other when one of them draws more numbers.
class Draw {
  public:
    Draw(std::size_t index, std::uint64_t field) : state_(index * 0x9E3779B97F4A7C15ULL + field) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int between(int lowest, int highest) {
        return lowest + static_cast<int>(next() % static_cast<std::uint64_t>(highest - lowest + 1));
    }
    const std::string& pick(const std::vector<std::string>& list) { return list[next() % list.size()]; }

  private:
    std::uint64_t state_;
};

enum Field : std::uint64_t { kTitle = 1, kFacts, kPeople, kStory, kLanguage };

}  // namespace

TitleGenerator::TitleGenerator(Words words) : words_(std::move(words)) {}

std::string TitleGenerator::guid(std::size_t index) {
    char number[24];
    std::snprintf(number, sizeof number, "%06zu", index);
    return std::string(kGuidPrefix) + number;
}

std::optional<std::size_t> TitleGenerator::index(std::string_view guid) {
    if (!startsWith(guid, kGuidPrefix)) return std::nullopt;
    auto number = FormEncoding::decimal(guid.substr(kGuidPrefix.size()));
    if (!number || *number < 0 || TitleGenerator::guid(static_cast<std::size_t>(*number)) != guid) return std::nullopt;
    return static_cast<std::size_t>(*number);
}

std::string TitleGenerator::title(std::size_t index) const {
    if (words_.titleForms.empty()) return {};
    Draw draw(index, kTitle);
    std::string title = draw.pick(words_.titleForms);
    title = replaceAll(title, "{adjective}", draw.pick(words_.adjectives));
    title = replaceAll(title, "{noun}", draw.pick(words_.nouns));
    title = replaceAll(title, "{place}", draw.pick(words_.places));
    return replaceAll(title, "{given}", draw.pick(words_.givenNames));
}

std::string TitleGenerator::sortName(const std::string& title) {
    return startsWith(title, "The ") ? title.substr(4) + ", The" : std::string();
}

CatalogueNode TitleGenerator::film(std::size_t index) const {
    CatalogueNode film{.kind = CatalogueNode::Kind::Film, .guid = guid(index), .title = title(index)};
    film.link = "browse/" + film.guid;
    film.sortName = sortName(film.title);
    if (words_.titleForms.empty()) return film;

    Draw facts(index, kFacts);
    film.year = facts.between(1960, 2024);
    film.minutes = facts.between(80, 150);
    film.rating = facts.pick(words_.ratings);
    std::vector<std::string> genres{facts.pick(words_.genres)};
    if (const std::string& second = facts.pick(words_.genres); second != genres.front()) genres.push_back(second);
    film.classify(genres, /*kids=*/false);
    film.rentPrice = facts.between(0, 4) == 0 ? "39" : "";

    Draw people(index, kPeople);
    auto person = [&] { return people.pick(words_.givenNames) + " " + people.pick(words_.familyNames); };
    film.credits.push_back({"director", person()});
    for (int i = 0; i < 3; ++i) film.credits.push_back({"actor", person()});

    Draw story(index, kStory);
    const std::string& setting = story.pick(words_.settings);
    const std::string& hero = story.pick(words_.heroes);
    film.description =
        toUpper(setting.substr(0, 1)) + setting.substr(1) + ", " + hero + " " + story.pick(words_.plots) + ".";

    Draw languages(index, kLanguage);
    film.audioLanguages = {languages.between(0, 2) == 0 ? "sv" : "en"};
    for (const std::string& language : kLanguages) {
        if (languages.between(0, 1) == 0) film.subtitleLanguages.push_back(language);
    }
    // Every film has subtitles in at least one language.
    if (film.subtitleLanguages.empty()) film.subtitleLanguages.push_back("en");
    return film;
}

}  // namespace movra::backend
