// The sample catalogue as the client browses it: every channel reachable from the root menu, paging,
// sorting, single titles and unknown paths.
#include "CatalogueTest.h"
#include "Foundation/Strings.h"
#include "movra-backend/ImageProfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <set>

namespace movra::backend {
namespace {

constexpr const char* kAllFilms = "browse/shelf-all-films";

class CatalogueFeedTest : public CatalogueTest {
  protected:
    // What the client needs of a title to show and play it.
    void expectPlayable(const XMLNode& item) const {
        SCOPED_TRACE(text(item, "guid"));
        EXPECT_NE(text(item, "houseId"), "<none>");
        auto hls = select(item, "media:group/media:content[@profile='MVTK-HLS-FPS' and @medium='video']");
        ASSERT_EQ(hls.size(), 1u);
        EXPECT_TRUE(startsWith(hls[0].attribute("url").value_or(""), baseUrl() + "/"));
        EXPECT_GT(std::stoi(hls[0].attribute("duration").value_or("0")), 0);
        EXPECT_EQ(select(item, "media:group/media:content[@profile='MVTK-SMOOTH-PlayReady']").size(), 1u);
        for (const ImageProfile& profile : ImageProfile::all()) {
            const std::string name(profile.name);
            auto thumbnails = select(item, "media:thumbnail[@profile='" + name +
                                               "'] | media:group/media:thumbnail[@profile='" + name + "']");
            ASSERT_EQ(thumbnails.size(), 1u) << name;
            EXPECT_EQ(thumbnails[0].attribute("width"), std::to_string(profile.width)) << name;
            EXPECT_EQ(thumbnails[0].attribute("height"), std::to_string(profile.height)) << name;
        }
    }
};

TEST_F(CatalogueFeedTest, EveryChannelFromTheRootMenuIsAWellFormedFeedOfCompleteItems) {
    struct Visit {
        std::string path;
        // The guid the client shows the channel under: the opened item's navigational guid.
        std::string guid;
        bool underKids;
    };
    std::deque<Visit> queue{{"browse", "ROOT", false}};
    std::set<std::string> visited;
    std::map<std::string, std::vector<XMLNode>> channels;
    std::set<std::string> series, unratedTitles, taglinedTitles;

    while (!queue.empty()) {
        const Visit visit = queue.front();
        queue.pop_front();
        if (!visited.insert(visit.path).second) continue;
        SCOPED_TRACE(visit.path);

        Page first = browse(visit.path, "offset=0&max=30");
        ASSERT_EQ(first.status, 200) << first.body;
        // An undeclared namespace would leave the prefixed elements below unread.
        EXPECT_EQ(first.channelText("guid"), visit.guid);
        EXPECT_NE(first.channelText("ttl"), "<none>");
        const std::vector<XMLNode> items = browseAll(visit.path);
        EXPECT_EQ(static_cast<int>(items.size()), first.totalResults());
        channels[visit.guid] = items;

        for (const XMLNode& item : items) {
            const std::string guid = text(item, "guid");
            const std::string type = text(item, "stravo:itemType");
            const std::string keywords = text(item, "media:keywords");
            const std::string category = text(item, "category");
            SCOPED_TRACE(guid);
            if (visit.path != "browse") {
                EXPECT_EQ(containsStringCaseInsensitive(keywords, "kids"), startsWith(category, "Kids")) << keywords;
                if (visit.underKids) {
                    EXPECT_TRUE(containsStringCaseInsensitive(keywords, "kids")) << keywords;
                }
            }
            if (type == "folder") {
                const std::string shortcut = text(item, "stravo:shortcutToGuid");
                queue.push_back(
                    {text(item, "link"), shortcut == "<none>" ? guid : shortcut, visit.underKids || guid == "KIDS"});
                if (startsWith(keywords, "Series")) series.insert(guid);
            } else if (type == "media") {
                expectPlayable(item);
                if (text(item, "media:rating") == "NR") unratedTitles.insert(guid);
            }
            if (!select(item, "stravo:tagline/line1").empty()) taglinedTitles.insert(guid);
        }
    }

    // The client's rarer paths have something to show.
    EXPECT_FALSE(unratedTitles.empty());
    EXPECT_FALSE(taglinedTitles.empty());
    ASSERT_FALSE(series.empty());
    for (const std::string& show : series) {
        SCOPED_TRACE(show);
        const std::vector<XMLNode>& seasons = channels[show];
        EXPECT_FALSE(seasons.empty());
        for (const XMLNode& season : seasons) {
            EXPECT_TRUE(startsWith(text(season, "media:keywords"), "Season"));
            EXPECT_EQ(text(season, "stravo:parentGuid"), show);
            const std::vector<XMLNode>& episodes = channels[text(season, "guid")];
            EXPECT_FALSE(episodes.empty());
            for (std::size_t i = 0; i < episodes.size(); ++i) {
                EXPECT_EQ(text(episodes[i], "stravo:episodeInSeason"), std::to_string(i + 1));
                EXPECT_EQ(text(episodes[i], "stravo:season"), text(season, "stravo:season"));
                EXPECT_EQ(text(episodes[i], "stravo:parentGuid"), text(season, "guid"));
            }
        }
    }
}

TEST_F(CatalogueFeedTest, PagesAreCutFromTheWholeListWithClampedBoundsAndTheFullTotalBadKeysRefused) {
    const std::vector<std::string> all = browse(kAllFilms, "offset=0&max=100").guids();
    ASSERT_EQ(all.size(), 75u);

    struct Case {
        const char* query;
        std::size_t first;
        std::size_t count;
    };
    const std::vector<Case> cases = {
        {"", 0, 30},  // the client's page size when none is named
        // The client's pages of a list of 75, the last one short.
        {"offset=0&max=30", 0, 30},
        {"offset=30&max=30", 30, 30},
        {"offset=60&max=30", 60, 15},
        {"offset=-5&max=10", 0, 10},  // a negative offset starts at the top
        {"max=0", 0, 1},              // at least one item
        {"max=1000", 0, 75},          // more than the list holds
        {"offset=99999999999999999999&max=5", 75, 0},
        {"offset=10&max=3&tracking=x", 10, 3},  // other keys are not looked at
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        Page page = browse(kAllFilms, c.query);
        ASSERT_EQ(page.status, 200) << page.body;
        EXPECT_EQ(page.totalResults(), 75);
        EXPECT_EQ(page.guids(), std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(c.first),
                                                         all.begin() + static_cast<std::ptrdiff_t>(c.first + c.count)));
    }

    // A malformed paging or sort key is refused and named.
    for (const char* query : {"offset=+3", "max=30abc", "sort=year", "order=up"}) {
        SCOPED_TRACE(query);
        Page page = browse(kAllFilms, query);
        EXPECT_EQ(page.status, 400);
        EXPECT_EQ(resultText(page.body, "errorCode"), "ST4000");
        const std::string key = std::string(query).substr(0, std::string(query).find('='));
        EXPECT_NE(resultText(page.body, "systemMessage").find(key), std::string::npos);
    }
}

TEST_F(CatalogueFeedTest, SortingByNameOrdersTheWholeListBeforePagingAndDescendingIsItsReverse) {
    auto field = [](const std::vector<XMLNode>& items, const char* name) {
        std::vector<std::string> values;
        for (const XMLNode& item : items) values.push_back(toLower(text(item, name)));
        return values;
    };
    const std::vector<XMLNode> ascending = browseAll(kAllFilms, "sort=name&order=asc");
    ASSERT_EQ(ascending.size(), 75u);
    const std::vector<std::string> names = field(ascending, "stravo:titleSortName");
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    // A list whose editorial order is not the sorted one shows a sort that was ignored.
    EXPECT_NE(field(browseAll("browse/shelf-new-films"), "guid"),
              field(browseAll("browse/shelf-new-films", "sort=name&order=asc"), "guid"));

    std::vector<std::string> reversed = field(browseAll(kAllFilms, "sort=name&order=desc"), "guid");
    std::reverse(reversed.begin(), reversed.end());
    EXPECT_EQ(reversed, field(ascending, "guid"));
    EXPECT_EQ(field(browseAll(kAllFilms, "sort=name"), "guid"), field(ascending, "guid"));
}

TEST_F(CatalogueFeedTest, ATitlesGuidBrowsesAChannelOfThatTitleAndUnknownPathsAreNotFound) {
    for (const char* guid : {"film-frost-line", "series-coastline-s2e03"}) {
        SCOPED_TRACE(guid);
        Page page = browse(std::string("browse/") + guid);
        ASSERT_EQ(page.status, 200) << page.body;
        EXPECT_EQ(page.channelText("guid"), guid);
        EXPECT_EQ(page.guids(), std::vector<std::string>{guid});
        EXPECT_EQ(page.totalResults(), 1);
        EXPECT_TRUE(browse(std::string("browse/") + guid, "offset=1").items.empty());
    }

    for (const char* path : {"browse/nothing-here", "browse/landing/extra", "browse/FILM-FROST-LINE"}) {
        SCOPED_TRACE(path);
        Page page = browse(path);
        EXPECT_EQ(page.status, 404);
        EXPECT_EQ(resultText(page.body, "errorCode"), "ST4040");
    }
}

TEST_F(CatalogueFeedTest, AFailingPathAnswersEveryRequestUnderItWithItsStatusUntilSwitchedOff) {
    const std::string browsePath = std::string(ClientApi::kClientPath) + "ios/browse/";
    auto post = [&](const Json& document) {
        auto result = client()->Post("/_emulator/faults", document.dump(), "application/json");
        return result ? result->status : 0;
    };
    struct Step {
        const char* name;
        Json control;
        // Statuses of the landing page, a shelf and the all-films shelf afterwards.
        int landing, shelf, allFilms;
    };
    const Step steps[] = {
        {"the shelves fail", {{"failPath", {{"path", browsePath + "shelf-"}, {"status", 503}}}}, 200, 503, 503},
        {"and still do", Json::object(), 200, 503, 503},
        {"the longer prefix decides",
         {{"failPath", {{"path", browsePath + "shelf-all"}, {"status", 404}}}},
         200,
         503,
         404},
        {"the shorter one off", {{"failPath", {{"path", browsePath + "shelf-"}, {"off", true}}}}, 200, 200, 404},
        {"reset", {{"reset", true}}, 200, 200, 200},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        ASSERT_EQ(post(step.control), 200);
        const std::pair<const char*, int> expected[] = {
            {"browse/landing", step.landing}, {"browse/shelf-new-films", step.shelf}, {kAllFilms, step.allFilms}};
        for (const auto& [path, status] : expected) {
            Page page = browse(path);
            EXPECT_EQ(page.status, status) << path;
            if (status != 200) {
                EXPECT_EQ(resultText(page.body, "errorCode"), ErrorDocument::codeForStatus(status)) << path;
            }
        }
    }

    // Half a switch is refused and switches nothing.
    for (const char* document :
         {R"({"failPath": {"status": 503}})", R"({"failPath": {"path": "/stoffice/"}})",
          R"({"failPath": {"path": "/stoffice/", "status": 99}})", R"({"failPath": "/stoffice/"})"}) {
        SCOPED_TRACE(document);
        EXPECT_EQ(post(Json::parse(document)), 400);
    }
    EXPECT_EQ(browse("browse/landing").status, 200);
}

TEST_F(CatalogueFeedTest, ChannelsCarryTheRequestsLanguageCodeAndTheSameItemsInEveryLanguage) {
    const std::vector<std::string> swedish = browse("browse/landing").guids();
    for (const char* language : {"en", "fi", "sv"}) {
        SCOPED_TRACE(language);
        Page page = browse("browse/landing", "", std::string(language) + "_mvtk");
        ASSERT_EQ(page.status, 200);
        EXPECT_EQ(page.channelText("language"), language);
        EXPECT_EQ(page.guids(), swedish);
    }
}

}  // namespace
}  // namespace movra::backend
