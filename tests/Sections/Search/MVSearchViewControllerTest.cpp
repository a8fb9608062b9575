// The search screen against scripted feeds: when typing sends suggestions, answers that a newer query has
// overtaken, filtering for the profile, the failure messages, a repeated search, and picking a result.
#include "Model/MVItem.h"
#include "Model/MVItemType.h"
#include "Model/MVSharedSearchCache.h"
#include "Model/ProfileManager.h"
#include "Model/StoreTest.h"
#include "Sections/Search/MVSearchViewController.h"

#include <regex>

namespace movra {
namespace {

using SearchState = MVSearchViewController::DisplayState;

/// A feed of guid `channel` listing "guid:keywords" titles.
std::string feedOf(const std::string& channel, const std::vector<std::string>& titles) {
    std::string items;
    for (const auto& title : titles) {
        const auto colon = title.find(':');
        const std::string guid = title.substr(0, colon),
                          keywords = colon == std::string::npos ? "Film" : title.substr(colon + 1);
        items += "<item><guid>" + guid + "</guid><title>" + guid + "</title><stravo:analyticsLabel>" + guid +
                 "</stravo:analyticsLabel><media:keywords>" + keywords + "</media:keywords></item>";
    }
    return R"(<rss xmlns:stravo="urn:s" xmlns:media="urn:m"><channel><guid>)" + channel + "</guid><ttl>1</ttl>" +
           items + "</channel></rss>";
}

class RecordingSearchDelegate : public MVSearchViewControllerDelegate {
  public:
    void selectedSearchItem(MVSearchViewController&, const std::shared_ptr<MVItem>& item) override {
        picked.push_back(item->guid().value_or(""));
    }
    std::vector<std::string> picked;
};

class MVSearchViewControllerTest : public test::StoreTest {
  protected:
    MVSearchViewControllerTest() {
        searchItem->setItemType(MVItemTypeSearch);
        searchItem->setLink("search");
        searchItem->setSuggestions("suggestions");
        // Each query answers titles named after it, so that an answer tells which query it belongs to.
        env.network->setScript([](const HttpRequest& request) {
            std::smatch match;
            const std::string query =
                std::regex_search(request.url, match, std::regex("query=([^&]*)")) ? match[1].str() : "";
            const bool suggestions = request.url.find("/suggestions") != std::string::npos;
            return test::xmlReply(200, feedOf(suggestions ? "SUGGESTIONS" : "RESULTS",
                                              {query + "-film", query + "-series:Series", query + "-kids:Kids"}));
        });
        screen->setSearchItem(searchItem);
        screen->setDelegate(delegate);
        screen->loadViewIfNeeded();
    }

    std::vector<std::string> requested() const {
        std::vector<std::string> urls;
        for (const auto& request : env.network->requests())
            urls.push_back(request.url.substr(request.url.find("/ios/")));
        return urls;
    }
    std::vector<std::string> guids(const MVSearchViewController::Items& items) const {
        std::vector<std::string> out;
        for (const auto& item : items) out.push_back(item->guid().value_or(""));
        return out;
    }
    bool settle() {
        return env.runUntil([&] { return !screen->isLoading(); });
    }

    std::shared_ptr<MVItem> searchItem = std::make_shared<MVItem>();
    std::shared_ptr<MVSharedSearchCache> cache = std::make_shared<MVSharedSearchCache>();
    std::shared_ptr<MVSearchViewController> screen = std::make_shared<MVSearchViewController>(cache);
    std::shared_ptr<RecordingSearchDelegate> delegate = std::make_shared<RecordingSearchDelegate>();
};

TEST_F(MVSearchViewControllerTest, TypingSendsFromTheSecondCharacterAndOnlyTheNewestAnswerShows) {
    for (const char* typed : {" ", " f", "   "}) {
        screen->searchBarTextDidChange(typed);
        EXPECT_EQ(screen->state(), SearchState::Idle) << '"' << typed << '"';
    }
    EXPECT_TRUE(env.network->requests().empty());

    // Two keystrokes before any answer is seen: the first answer, already on its way, is not shown.
    screen->searchBarTextDidChange(" fr");
    screen->searchBarTextDidChange(" fro ");
    EXPECT_EQ(screen->state(), SearchState::Loading);
    ASSERT_TRUE(settle());
    env.main().runPending();
    EXPECT_EQ(guids(screen->suggestedItems()), (std::vector<std::string>{"fro-film", "fro-series", "fro-kids"}));
    EXPECT_EQ(screen->state(), SearchState::Suggestions);
    EXPECT_EQ(cache->lastSearchString(), "fro");
    ASSERT_EQ(requested().size(), 2u);
    EXPECT_NE(requested()[1].find("/suggestions?"), std::string::npos);

    // A short query clears what was shown.
    screen->searchBarTextDidChange("f");
    EXPECT_EQ(screen->state(), SearchState::Idle);
    EXPECT_TRUE(screen->suggestedItems().empty());
}

TEST_F(MVSearchViewControllerTest, ResultsAreFilteredForTheProfileAndFailuresSaySo) {
    ProfileManager::setActiveProfile(ProfileTypeKids);
    screen->searchBarSearchButtonClicked("fox");
    ASSERT_TRUE(settle());
    EXPECT_EQ(screen->items().size(), 3u) << "the search's own list";
    EXPECT_EQ(guids(screen->suggestedItems()), std::vector<std::string>{"fox-kids"}) << "what the kids profile sees";
    EXPECT_EQ(screen->state(), SearchState::Suggestions);

    // Everything outside the profile: no results. Before any profile, nothing is filtered.
    env.network->setScript([](const HttpRequest&) { return test::xmlReply(200, feedOf("RESULTS", {"grown-up"})); });
    screen->searchBarSearchButtonClicked("grown");
    ASSERT_TRUE(settle());
    EXPECT_EQ(screen->state(), SearchState::NoResults);
    EXPECT_EQ(screen->message(), "Your search had no results.");
    EXPECT_EQ(MVSearchViewController::filterItems(screen->items(), ProfileTypeNone, true).size(), 1u);
    EXPECT_TRUE(MVSearchViewController::filterItems(screen->items(), ProfileTypeKids, true).empty());
    EXPECT_EQ(env.crashReporter->nonFatalNames, std::vector<std::string>{MVSearchViewController::kOtherProfileReport});

    struct Case {
        test::ScriptedReply reply;
        SearchState state;
        const char* message;
    };
    const Case cases[] = {
        {test::failedReply(makeError(kURLErrorDomain, kURLErrorNotConnectedToInternet)), SearchState::Offline,
         "Please check your connection and try again."},
        {test::failedReply(makeError(kURLErrorDomain, kURLErrorTimedOut)), SearchState::Offline,
         "Please check your connection and try again."},
        {test::xmlReply(500, test::errorDocument("Failure", "ST5000")), SearchState::Failed,
         "Failed to find results,\ntry again."},
    };
    for (const auto& c : cases) {
        env.network->answerAll(c.reply);
        screen->searchBarSearchButtonClicked("fox");
        ASSERT_TRUE(settle());
        EXPECT_EQ(screen->state(), c.state);
        EXPECT_EQ(screen->message(), c.message);
    }
}

TEST_F(MVSearchViewControllerTest, ARepeatedSearchKeepsOnlyItsOwnResultsAndAPickSaysWhatWasPicked) {
    screen->searchBarSearchButtonClicked("alpha");
    ASSERT_TRUE(settle());
    screen->searchBarSearchButtonClicked("beta");
    ASSERT_TRUE(settle());
    EXPECT_EQ(guids(screen->items()), (std::vector<std::string>{"beta-film", "beta-series", "beta-kids"}));
    StoreContext::ItemQuery query;
    query.channelGuid = "RESULTS";
    EXPECT_EQ(store->mainContext()->fetchItems(query).size(), 3u) << "the stored channel lists the new answer only";

    ASSERT_EQ(screen->state(), SearchState::Suggestions);
    screen->didSelectRow(1);
    screen->didSelectRow(0);
    screen->didSelectRow(9);
    EXPECT_EQ(delegate->picked, (std::vector<std::string>{"beta-series", "beta-film"}));
    std::vector<std::string> actions;
    for (const auto& hit : env.analytics->hits) actions.push_back(hit.at("&ea"));
    EXPECT_EQ(actions, (std::vector<std::string>{"Search", "Search", "Search_Series", "Search_Movie"}));

    // Reopened, the screen shows the last query and its lists from the cache.
    auto reopened = std::make_shared<MVSearchViewController>(cache);
    reopened->viewWillAppear(false);
    EXPECT_EQ(reopened->searchText(), "beta");
    EXPECT_EQ(guids(reopened->items()), guids(screen->items()));
}

}  // namespace
}  // namespace movra
