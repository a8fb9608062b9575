// The subscriber's own lists in the emulated service: the watchlist changed through addSavedAsset and
// savedAsset and reflected in every feed served to that subscriber, and the seeded resume positions with
// the recently-watched channel built from them.
#include "CatalogueTest.h"

#include <gtest/gtest.h>

#include <map>

namespace movra::backend {
namespace {

constexpr const char* kOla = "ola.nordmann@tavik.example";
constexpr const char* kOlasPassword = "Ola-tavik-2";
constexpr const char* kFilm = "film-frost-line";

class SubscriberListsTest : public CatalogueTest {
  protected:
    void SetUp() override {
        CatalogueTest::SetUp();
        annasToken_ = tokenFor(kAnna, kAnnasPassword);
    }

    httplib::Result changeWatchlist(const std::string& method, const std::string& query,
                                    const std::string& token) const {
        const std::string path = std::string(ClientApi::kClientPath) + "ios/" +
                                 (method == "POST" ? "addSavedAsset" : "savedAsset") + "?language=sv_mvtk" +
                                 (query.empty() ? "" : "&" + query);
        return method == "POST" ? client()->Post(path.c_str(), standardHeaders(token), "", "text/plain")
                                : client()->Delete(path.c_str(), standardHeaders(token));
    }

    /// guid -> text of `element` for every item of the page ("<none>" without one).
    std::map<std::string, std::string> marks(const Page& page, const char* element) const {
        std::map<std::string, std::string> byGuid;
        for (const XMLNode& item : page.items) byGuid[text(item, "guid")] = text(item, element);
        return byGuid;
    }

    std::string annasToken_;
};

TEST_F(SubscriberListsTest, AWatchlistChangeShowsInEveryFeedOfThatSubscriberOnlyAndSurvivesARestart) {
    auto added = changeWatchlist("POST", std::string("guid=") + kFilm, annasToken_);
    ASSERT_TRUE(added);
    EXPECT_EQ(added->status, 200) << added->body;
    EXPECT_EQ(resultText(added->body, "status"), "Success");
    ASSERT_EQ(changeWatchlist("POST", "guid=series-coastline", annasToken_)->status, 200);
    ASSERT_EQ(changeWatchlist("POST", std::string("guid=") + kFilm, annasToken_)->status, 200);  // saved twice

    // Most recently saved first; the title saved again keeps its place.
    EXPECT_EQ(browse("browse/watchlist", "", "sv_mvtk", annasToken_).guids(),
              (std::vector<std::string>{"series-coastline", kFilm}));
    auto landing = marks(browse("browse/landing", "", "sv_mvtk", annasToken_), "stravo:savedAsset");
    EXPECT_EQ(landing[kFilm], "true");
    EXPECT_EQ(landing["series-coastline"], "true");
    EXPECT_EQ(landing["film-signal-lost"], "false");
    EXPECT_EQ(landing["shelf-editors-picks"], "<none>");  // a shelf is not a title
    EXPECT_EQ(marks(browse(std::string("browse/") + kFilm, "", "sv_mvtk", annasToken_), "stravo:savedAsset")[kFilm],
              "true");

    // Another subscriber's feeds, and feeds without a subscriber, know nothing of it.
    const std::string olasToken = tokenFor(kOla, kOlasPassword, kOtherDeviceId);
    const std::string olasPath = std::string(ClientApi::kClientPath) + "ios/browse/landing?language=sv_mvtk";
    auto olas = client()->Get(olasPath.c_str(), standardHeaders(olasToken, kOtherDeviceId));
    ASSERT_TRUE(olas);
    EXPECT_NE(olas->body.find("<stravo:savedAsset>false</stravo:savedAsset>"), std::string::npos);
    EXPECT_EQ(olas->body.find("<stravo:savedAsset>true</stravo:savedAsset>"), std::string::npos);
    EXPECT_EQ(marks(browse("browse/landing"), "stravo:savedAsset")[kFilm], "<none>");
    EXPECT_TRUE(browse("browse/watchlist").items.empty());

    start();
    EXPECT_EQ(browse("browse/watchlist", "", "sv_mvtk", annasToken_).guids(),
              (std::vector<std::string>{"series-coastline", kFilm}));
    ASSERT_EQ(changeWatchlist("DELETE", std::string("guid=") + kFilm, annasToken_)->status, 200);
    ASSERT_EQ(changeWatchlist("DELETE", std::string("guid=") + kFilm, annasToken_)->status, 200);  // not there
    EXPECT_EQ(browse("browse/watchlist", "", "sv_mvtk", annasToken_).guids(),
              std::vector<std::string>{"series-coastline"});
    EXPECT_EQ(marks(browse("browse/landing", "", "sv_mvtk", annasToken_), "stravo:savedAsset")[kFilm], "false");
}

TEST_F(SubscriberListsTest, WatchlistChangesWithoutAGuidATitleOrASignInAreRefused) {
    struct Case {
        const char* method;
        const char* query;
        bool signedIn;
        int status;
    };
    const std::vector<Case> cases = {
        {"POST", "", true, 400},
        {"POST", "guid=", true, 400},
        {"DELETE", "", true, 400},
        {"POST", "guid=film-nothing-here", true, 404},
        {"POST", "guid=series-coastline-s1", true, 404},  // a season
        {"POST", "guid=LANDING", true, 404},              // a section
        {"POST", "guid=film-frost-line", false, 401},
        {"DELETE", "guid=film-frost-line", false, 401},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.method) + " " + c.query);
        auto result = changeWatchlist(c.method, c.query, c.signedIn ? annasToken_ : "");
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, c.status) << result->body;
        EXPECT_EQ(resultText(result->body, "status"), "Failure");
    }
    EXPECT_TRUE(browse("browse/watchlist", "", "sv_mvtk", annasToken_).items.empty());
}

TEST_F(SubscriberListsTest, SeededResumePositionsMarkTheTitlesAndMakeTheRecentlyWatchedChannel) {
    Page recent = browse("browse/recentlywatched", "", "sv_mvtk", annasToken_);
    EXPECT_EQ(recent.guids(), (std::vector<std::string>{"series-coastline-s1e02", kFilm, "film-space-hamsters",
                                                        "series-pip-and-the-paper-boats-s1e03"}));
    auto bookmarks = marks(recent, "stravo:bookmark");
    EXPECT_EQ(bookmarks["series-coastline-s1e02"], "754");
    EXPECT_EQ(bookmarks[kFilm], "2710");

    // The same position wherever the title is listed; none for a title not watched or another subscriber.
    auto shelf = marks(browse("browse/shelf-age-adults", "", "sv_mvtk", annasToken_), "stravo:bookmark");
    EXPECT_EQ(shelf[kFilm], "2710");
    EXPECT_EQ(shelf["film-static"], "<none>");
    const std::string olasToken = tokenFor(kOla, kOlasPassword, kOtherDeviceId);
    const std::string path = std::string(ClientApi::kClientPath) + "ios/browse/" + kFilm + "?language=sv_mvtk";
    auto olas = client()->Get(path.c_str(), standardHeaders(olasToken, kOtherDeviceId));
    ASSERT_TRUE(olas);
    EXPECT_EQ(olas->body.find("stravo:bookmark"), std::string::npos);
    EXPECT_TRUE(browse("browse/recentlywatched").items.empty());
}

}  // namespace
}  // namespace movra::backend
