// The search and suggestions feeds: what a typed text finds, in which order, and that any text at all
// gets a well-formed answer.
#include "CatalogueTest.h"
#include "Foundation/Strings.h"
#include "Foundation/Url.h"
#include "movra-backend/TitleSearch.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace movra::backend {
namespace {

class SearchFeedTest : public CatalogueTest {
  protected:
    /// The feed at `path` for `text` as the client sends it.
    Page search(const std::string& path, const std::string& text, const std::string& paging = {}) const {
        return browse(path, "query=" + percentEscapeQueryComponent(text) + (paging.empty() ? "" : "&" + paging));
    }
};

TEST(TitleSearchFoldTest, CaseDiacriticsAndBlanksFoldAwayOtherTextIsKept) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Lucía", "lucia"},
        {"Luci\xCC\x81"
         "a",
         "lucia"},  // decomposed, as some keyboards type it
        {"MALMÖ Jämtland Tromsø", "malmo jamtland tromso"},
        {"Ærø Straße Łódź Œuvre", "aero strasse lodz oeuvre"},
        {"Bumble\xE2\x80\x99s", "bumble's"},
        {" \t a\xC2\xA0\n b  ", "a b"},
        {"Лючия 東京", "Лючия 東京"},
        // Malformed UTF-8 is dropped, not read as the ASCII an overlong form would spell.
        {"a\xFF\xC0\xAF\xED\xA0\x80"
         "b",
         "ab"},
        {"\xE2\x82", ""},
    };
    for (const auto& [text, folded] : cases) EXPECT_EQ(TitleSearch::fold(text), folded) << text;
}

TEST_F(SearchFeedTest, TitlesSeriesAndEpisodesAreFoundIgnoringCaseAndDiacritics) {
    const std::vector<std::string> lucia = {"film-lucias-kitchen", "film-letters-to-lucia"};
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"lucia", lucia},
        {"LUCÍA", lucia},
        {"Luci\xCC\x81"
         "a",
         lucia},
        {"malmo", {"film-checkmate-in-malmo"}},
        {"jamtland", {"film-wolves-of-jamtland"}},
        {"ÖSTERLEN", {"film-a-summer-in-osterlen"}},
        {"tromso", {"film-tromso-after-dark"}},
        {"  señora   NUNEZ ", {"film-senora-nunez-takes-the-ferry"}},
        {"café noir", {"film-last-call-at-cafe-noir"}},
        {"bumble\xE2\x80\x99s", {"film-bumbles-big-day"}},
        {"coastline", {"series-coastline"}},
        {"undercurrent", {"series-coastline-s2e03"}},
    };
    for (const auto& [text, guids] : cases) {
        SCOPED_TRACE(text);
        for (const char* path : {Catalogue::kSearchPath, Catalogue::kSuggestionsPath}) {
            Page page = search(path, text);
            ASSERT_EQ(page.status, 200) << page.body;
            EXPECT_EQ(page.guids(), guids) << path;
            EXPECT_EQ(page.totalResults(), static_cast<int>(guids.size())) << path;
        }
    }
}

TEST_F(SearchFeedTest, SuggestionsAreTheFirstTenResultsTitlesStartingWithTheTextFirst) {
    const std::vector<XMLNode> results = browseAll(Catalogue::kSearchPath, "query=the");
    ASSERT_GT(results.size(), Catalogue::kMostSuggestions);
    // 0: the title starts with the text, 1: one of its words does, 2: it holds it elsewhere ("Northern").
    auto rank = [](const std::string& title) {
        const std::size_t at = (" " + toLower(title)).find(" the");
        return at == 0 ? 0 : at != std::string::npos ? 1 : 2;
    };
    std::vector<int> ranks;
    std::vector<std::string> guids;
    for (const XMLNode& item : results) {
        SCOPED_TRACE(text(item, "title"));
        ranks.push_back(rank(text(item, "title")));
        guids.push_back(text(item, "guid"));
        // The client filters results for the active profile by the same marks as every other list.
        EXPECT_EQ(containsStringCaseInsensitive(text(item, "media:keywords"), "kids"),
                  startsWith(text(item, "category"), "Kids"));
        if (text(item, "stravo:itemType") == "media") {
            Page own = browse(text(item, "link"));
            ASSERT_EQ(own.items.size(), 1u);
            EXPECT_EQ(text(item, "media:keywords"), text(own.items[0], "media:keywords"));
            EXPECT_EQ(text(item, "category"), text(own.items[0], "category"));
        }
    }
    EXPECT_TRUE(std::is_sorted(ranks.begin(), ranks.end()));
    EXPECT_EQ(ranks.front(), 0);
    EXPECT_EQ(ranks.back(), 2);

    Page suggestions = search(Catalogue::kSuggestionsPath, "the");
    ASSERT_EQ(suggestions.status, 200) << suggestions.body;
    EXPECT_EQ(suggestions.channelText("guid"), "SEARCH_SUGGESTIONS");
    EXPECT_EQ(suggestions.totalResults(), static_cast<int>(Catalogue::kMostSuggestions));
    EXPECT_EQ(suggestions.guids(), std::vector<std::string>(guids.begin(), guids.begin() + 10));
    EXPECT_EQ(search(Catalogue::kSuggestionsPath, "the", "offset=8&max=30").guids(),
              std::vector<std::string>(guids.begin() + 8, guids.begin() + 10));
    EXPECT_EQ(search(Catalogue::kSearchPath, "the", "offset=0&max=5").guids(),
              std::vector<std::string>(guids.begin(), guids.begin() + 5));
}

TEST_F(SearchFeedTest, AnyTextGetsAWellFormedAnswerNothingFoundByWildcardsOrMarkup) {
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"no query key", ""},
        {"empty", "query="},
        {"blanks", "query=%20%20%20"},
        {"tab and newline", "query=%09%0A"},
        {"long", "query=" + std::string(7000, 'a')},
        {"Japanese", "query=" + percentEscapeQueryComponent("東京物語")},
        {"Cyrillic", "query=" + percentEscapeQueryComponent("Лючия")},
        {"SQL", "query=" + percentEscapeQueryComponent("' OR '1'='1' --")},
        {"SQL wildcard", "query=%25"},
        {"single-character wildcard", "query=_"},
        {"glob", "query=*"},
        {"markup", "query=" + percentEscapeQueryComponent("<item><guid>x</guid></item>")},
        {"CDATA end and entity", "query=" + percentEscapeQueryComponent("]]>&amp;")},
        {"control characters", "query=%00%01%1B"},
        {"not UTF-8", "query=%FF%FE%C0%AF"},
    };
    for (const auto& [name, query] : cases) {
        SCOPED_TRACE(name);
        for (const char* path : {Catalogue::kSearchPath, Catalogue::kSuggestionsPath}) {
            Page page = browse(path, query);
            ASSERT_EQ(page.status, 200) << path << ": " << page.body;
            ASSERT_TRUE(page.document) << path;
            EXPECT_EQ(page.channelText("guid"),
                      path == Catalogue::kSearchPath ? "SEARCH_RESULTS" : "SEARCH_SUGGESTIONS");
            EXPECT_EQ(page.totalResults(), 0) << path;
            EXPECT_TRUE(page.items.empty()) << path;
        }
    }

    // Longer than a request line may be: refused before routing, still in the service's error form.
    Page tooLong = search(Catalogue::kSearchPath, std::string(10000, 'a'));
    EXPECT_EQ(tooLong.status, 414);
    EXPECT_EQ(resultText(tooLong.body, "errorCode"), "ST4140");
}

}  // namespace
}  // namespace movra::backend
