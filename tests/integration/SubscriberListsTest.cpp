// The subscriber's own lists in the emulated service: the watchlist changed through addSavedAsset and
// savedAsset and reflected in every feed served to that subscriber, and the seeded resume positions with
// the recently-watched channel built from them.
#include "CatalogueTest.h"

#include <gtest/gtest.h>

#include <map>

namespace movra::backend {
namespace {

constexpr const char* kFilm = "film-frost-line";

class SubscriberListsTest : public CatalogueTest {
  protected:
    void SetUp() override {
        CatalogueTest::SetUp();
        anna_ = tokenFor(kAnna, kAnnasPassword);
        ola_ = tokenFor("ola.nordmann@tavik.example", "Ola-tavik-2");
    }

    /// The status of a watchlist change as the client sends it.
    int changeWatchlist(bool add, const std::string& query, const std::string& token) const {
        const std::string path = std::string(ClientApi::kClientPath) + "ios/" + (add ? "addSavedAsset" : "savedAsset") +
                                 "?language=sv_mvtk" + (query.empty() ? "" : "&" + query);
        auto result = add ? client()->Post(path.c_str(), standardHeaders(token), "", "text/plain")
                          : client()->Delete(path.c_str(), standardHeaders(token));
        EXPECT_EQ(resultText(result ? result->body : "", "status"),
                  result && result->status == 200 ? "Success" : "Failure");
        return result ? result->status : 0;
    }

    /// guid -> text of `element` for every item of the page `token` is served ("<none>" without one).
    std::map<std::string, std::string> marks(const std::string& path, const char* element, const std::string& token) {
        std::map<std::string, std::string> byGuid;
        for (const XMLNode& item : browse(path, "", "sv_mvtk", token).items)
            byGuid[text(item, "guid")] = text(item, element);
        return byGuid;
    }

    std::string anna_, ola_;
};

TEST_F(SubscriberListsTest, AWatchlistChangeShowsInEveryFeedOfThatSubscriberOnlyAndSurvivesARestart) {
    ASSERT_EQ(changeWatchlist(true, std::string("guid=") + kFilm, anna_), 200);
    ASSERT_EQ(changeWatchlist(true, "guid=series-coastline", anna_), 200);
    ASSERT_EQ(changeWatchlist(true, std::string("guid=") + kFilm, anna_), 200);  // saved twice keeps its place

    EXPECT_EQ(browse("browse/watchlist", "", "sv_mvtk", anna_).guids(),
              (std::vector<std::string>{"series-coastline", kFilm}));
    auto landing = marks("browse/landing", "stravo:savedAsset", anna_);
    EXPECT_EQ(landing[kFilm] + landing["series-coastline"] + landing["film-signal-lost"], "truetruefalse");
    EXPECT_EQ(landing["shelf-editors-picks"], "<none>");  // a shelf is not a title
    EXPECT_EQ(marks(std::string("browse/") + kFilm, "stravo:savedAsset", anna_)[kFilm], "true");
    Page found = browse(Catalogue::kSearchPath, "query=coastline", "sv_mvtk", anna_);
    ASSERT_EQ(found.guids(), std::vector<std::string>{"series-coastline"});
    EXPECT_EQ(text(found.items[0], "stravo:savedAsset"), "true");
    // Another subscriber's feeds, and feeds without a subscriber, know nothing of it.
    EXPECT_EQ(marks("browse/landing", "stravo:savedAsset", ola_)[kFilm], "false");
    EXPECT_EQ(marks("browse/landing", "stravo:savedAsset", "")[kFilm], "<none>");
    EXPECT_TRUE(browse("browse/watchlist").items.empty());

    start();
    ASSERT_EQ(changeWatchlist(false, std::string("guid=") + kFilm, anna_), 200);
    ASSERT_EQ(changeWatchlist(false, std::string("guid=") + kFilm, anna_), 200);  // no longer there
    EXPECT_EQ(browse("browse/watchlist", "", "sv_mvtk", anna_).guids(), std::vector<std::string>{"series-coastline"});
    EXPECT_EQ(marks("browse/landing", "stravo:savedAsset", anna_)[kFilm], "false");
}

TEST_F(SubscriberListsTest, TheWatchlistIsPagedAndSortedByNameLikeEveryOtherList) {
    for (const char* guid :
         {"film-space-hamsters", "film-the-silent-harbour", "film-signal-lost", "film-frost-line", "film-stormbird"})
        ASSERT_EQ(changeWatchlist(true, std::string("guid=") + guid, anna_), 200);

    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"offset=0&max=2", {"film-stormbird", kFilm}},
        {"offset=2&max=2", {"film-signal-lost", "film-the-silent-harbour"}},
        {"offset=4&max=2", {"film-space-hamsters"}},
        // By sort name: "The Silent Harbour" goes under S.
        {"sort=name&order=asc",
         {kFilm, "film-signal-lost", "film-the-silent-harbour", "film-space-hamsters", "film-stormbird"}},
        {"sort=name&order=desc&max=2", {"film-stormbird", "film-space-hamsters"}},
    };
    for (const auto& [query, guids] : cases) {
        SCOPED_TRACE(query);
        Page page = browse("browse/watchlist", query, "sv_mvtk", anna_);
        EXPECT_EQ(page.guids(), guids);
        EXPECT_EQ(page.totalResults(), 5);
    }
}

TEST_F(SubscriberListsTest, WatchlistChangesWithoutAGuidATitleOrASignInAreRefused) {
    const std::tuple<bool, const char*, bool, int> cases[] = {
        {false, "guid=", true, 400},
        {true, "guid=film-nothing-here", true, 404},
        {true, "guid=series-coastline-s1", true, 404},  // a season
        {false, "guid=film-frost-line", false, 401},
    };
    for (const auto& [add, query, signedIn, status] : cases)
        EXPECT_EQ(changeWatchlist(add, query, signedIn ? anna_ : ""), status) << query;
    EXPECT_TRUE(browse("browse/watchlist", "", "sv_mvtk", anna_).items.empty());
}

TEST_F(SubscriberListsTest, SeededResumePositionsMarkTheTitlesAndMakeTheRecentlyWatchedChannel) {
    EXPECT_EQ(browse("browse/recentlywatched", "", "sv_mvtk", anna_).guids(),
              (std::vector<std::string>{"series-coastline-s1e02", kFilm, "film-space-hamsters",
                                        "series-pip-and-the-paper-boats-s1e03"}));
    EXPECT_EQ(marks("browse/recentlywatched", "stravo:bookmark", anna_)["series-coastline-s1e02"], "12");
    // The same position wherever the title is listed; none for a title not watched or another subscriber.
    auto shelf = marks("browse/shelf-age-adults", "stravo:bookmark", anna_);
    EXPECT_EQ(shelf[kFilm] + "/" + shelf["film-static"], "27/<none>");
    EXPECT_EQ(marks(std::string("browse/") + kFilm, "stravo:bookmark", ola_)[kFilm], "<none>");
    EXPECT_TRUE(browse("browse/recentlywatched").items.empty());
}

}  // namespace
}  // namespace movra::backend
