// A list screen against scripted feed pages: the first load and its paging up to the feed's total, a stored
// copy that is still fresh or has expired, cancelled and failed requests, and the reloads on a watchlist
// change and on the network's return.
#include "Model/MVItem.h"
#include "Model/MVItemType.h"
#include "Model/StoreTest.h"
#include "Root/MVThumbnailTableViewController.h"
#include "support/LogCapture.h"

#include <regex>
#include <set>

namespace movra {
namespace {

using test::xmlReply;

/// Titles offset… of a list of `total`, at most `max`, reporting `reportedTotal`.
std::string page(int offset, int max, int total, int reportedTotal) {
    std::string items;
    for (int i = offset; i < std::min(offset + max, total); ++i)
        items += "<item><guid>t" + std::to_string(i) + "</guid><title>Title " + std::to_string(i) +
                 "</title><media:keywords>Film</media:keywords></item>";
    return R"(<rss xmlns:stravo="urn:s" xmlns:media="urn:m"><channel><guid>films</guid><title>Films</title>)"
           "<ttl>15</ttl><stravo:totalResults>" +
           std::to_string(reportedTotal) + "</stravo:totalResults>" + items + "</channel></rss>";
}

int queryNumber(const std::string& url, const char* name) {
    std::smatch match;
    return std::regex_search(url, match, std::regex(std::string("[?&]") + name + "=(\\d+)")) ? std::stoi(match[1]) : 0;
}

class MVBrowsingViewControllerTest : public test::StoreTest {
  protected:
    MVBrowsingViewControllerTest() {
        parent->setGuid("films");
        parent->setLink("browse/films");
        parent->setItemType(MVItemTypeFolder);
        parent->setNavigationalGUID("films");
        serve(75);
    }

    /// Serves the list as `total` titles; the feed reports `reported(offset)` as its total.
    void serve(int total, std::function<int(int offset)> reported = nullptr) {
        env.network->setScript([total, reported](const HttpRequest& request) {
            const int offset = queryNumber(request.url, "offset"), max = queryNumber(request.url, "max");
            const int now = reported ? reported(offset) : total;
            return xmlReply(200, page(offset, max, std::min(total, now), now));
        });
    }

    std::shared_ptr<MVThumbnailTableViewController> open(bool watchlist = false) {
        auto list = std::make_shared<MVThumbnailTableViewController>();
        list->setBrowsePath(parent->link());
        list->setNavigationParentItem(parent);
        list->setIsWatchlist(watchlist);
        list->loadViewIfNeeded();
        list->viewWillAppear(false);
        list->viewDidAppear(false);
        return list;
    }

    bool settled(const MVBrowsingViewController& list) {
        return env.runUntil([&] {
            return !list.currentOperation() && list.loadingState() != MVLoadingState::Loading &&
                   list.loadingState() != MVLoadingState::Paging;
        });
    }

    std::vector<int> offsetsRequested() const {
        std::vector<int> offsets;
        for (const auto& request : env.network->requests()) offsets.push_back(queryNumber(request.url, "offset"));
        return offsets;
    }

    std::shared_ptr<MVItem> parent = std::make_shared<MVItem>();
};

TEST_F(MVBrowsingViewControllerTest, PagesUntilTheFeedsTotal) {
    struct Case {
        const char* what;
        int total;
        std::function<int(int)> reported;
        std::vector<int> offsets;
        std::size_t listed;
        bool pagingLogged;
    };
    const Case cases[] = {
        {"75 titles, 30 a page", 75, nullptr, {0, 30, 60}, 75, false},
        {"exactly two pages", 60, nullptr, {0, 30}, 60, false},
        {"an empty list", 0, nullptr, {0}, 0, false},
        {"a feed that stops early", 40, [](int) { return 75; }, {0, 30}, 40, true},
        {"a total that shrinks between pages",
         75,
         [](int offset) { return offset == 0 ? 75 : 45; },
         {0, 30},
         45,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(save([](StoreContext& context) { return context.deleteAll(); }));
        serve(c.total, c.reported);
        const auto before = env.network->requests().size();
        test::LogCapture log;
        auto list = open();
        ASSERT_TRUE(settled(*list));
        auto offsets = offsetsRequested();
        offsets.erase(offsets.begin(), offsets.begin() + static_cast<long>(before));
        EXPECT_EQ(offsets, c.offsets);
        EXPECT_EQ(list->loadingState(), MVLoadingState::Loaded);
        EXPECT_FALSE(list->isShowingPagingView());
        EXPECT_EQ(list->isShowingNoDataMessage(), c.total == 0);
        std::set<std::string> guids;
        for (const auto& item : list->items()) guids.insert(item->guid().value_or(""));
        EXPECT_EQ(list->items().size(), c.listed);
        EXPECT_EQ(guids.size(), c.listed) << "no title is listed twice";
        EXPECT_EQ(!log.containing(MVBrowsingViewController::kPagingErrorLog).empty(), c.pagingLogged);
    }
}

TEST_F(MVBrowsingViewControllerTest, AFreshStoredListIsShownWithoutARequestAndAnExpiredOneIsFetchedAgain) {
    serve(10);
    auto list = open();
    ASSERT_TRUE(settled(*list));
    ASSERT_EQ(env.network->requests().size(), 1u);

    auto again = open();
    EXPECT_EQ(again->loadingState(), MVLoadingState::Loaded);
    EXPECT_EQ(again->items().size(), 10u);
    EXPECT_EQ(env.network->requests().size(), 1u) << "the stored copy is still fresh";

    env.advance(16 * 60);  // past the feed's 15-minute ttl
    again->reloadContent();
    EXPECT_TRUE(again->isShowingLoadingView());
    ASSERT_TRUE(settled(*again));
    ASSERT_EQ(env.network->requests().size(), 2u);
    EXPECT_EQ(again->loadingState(), MVLoadingState::Loaded);
    EXPECT_FALSE(again->isShowingLoadingView());
}

TEST_F(MVBrowsingViewControllerTest, ACancelledPageLeavesTheStateAndPagingGoesOnWhenTheListReturns) {
    env.network->setScript([](const HttpRequest& request) {
        const int offset = queryNumber(request.url, "offset");
        return offset == 30 ? test::heldReply() : xmlReply(200, page(offset, 30, 75, 75));
    });
    auto list = open();
    ASSERT_TRUE(env.runUntil([&] { return env.network->requests().size() == 2; }));
    ASSERT_TRUE(list->isShowingPagingView());
    const auto before = list->loadingState();
    list->viewDidDisappear(false);
    EXPECT_TRUE(list->networkCallsCancelled());
    env.main().runPending();
    EXPECT_EQ(list->loadingState(), before) << "Cancelled is refused";

    serve(75);
    list->viewWillAppear(false);
    list->viewDidAppear(false);
    ASSERT_TRUE(settled(*list));
    EXPECT_EQ(list->items().size(), 75u);
    EXPECT_EQ(list->loadingState(), MVLoadingState::Loaded);
}

TEST_F(MVBrowsingViewControllerTest, FailuresSayWhetherTheConnectionIsToBlame) {
    struct Case {
        const char* what;
        test::ScriptedReply reply;
        bool reachable;
        std::optional<std::string> message;
    };
    const std::optional<std::string> hint = MVBrowsingViewController::kConnectionFailureText;
    const Case cases[] = {
        {"a server error", xmlReply(500, test::errorDocument("Failure", "ST1000")), true, std::nullopt},
        {"a time-out", test::failedReply(makeError(kURLErrorDomain, kURLErrorTimedOut, "timed out")), true, hint},
        {"no network", test::failedReply(makeError(kURLErrorDomain, kURLErrorNotConnectedToInternet, "offline")), false,
         hint},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        env.network->answerAll(c.reply);
        env.reachability->reachable_ = c.reachable;
        auto list = open();
        ASSERT_TRUE(settled(*list));
        EXPECT_EQ(list->loadingState(), MVLoadingState::Failed);
        EXPECT_TRUE(list->initialCallComplete());
        EXPECT_EQ(list->failureMessage(), c.message);
    }
    // The network's return loads the list that failed.
    auto list = open();
    ASSERT_TRUE(settled(*list));
    serve(5);
    env.reachability->setReachable(true);
    ASSERT_TRUE(env.runUntil([&] { return list->loadingState() == MVLoadingState::Loaded; }));
    EXPECT_EQ(list->items().size(), 5u);
}

TEST_F(MVBrowsingViewControllerTest, TheWatchlistReloadsOnEveryChangeAndEachLoadIsAnnounced) {
    serve(3);
    int announced = 0;
    auto& center = env.platform().notificationCenter();
    ScopedObserver counting(center, center.addObserver(MVBrowsingViewController::MVNotificationLandingPageLoaded,
                                                       [&](const Notification&) { ++announced; }));
    auto list = open(/*watchlist=*/true);
    ASSERT_TRUE(settled(*list));
    EXPECT_EQ(announced, 1);
    const auto before = env.network->requests().size();
    center.post(MVNotificationWatchlistChanged);
    ASSERT_TRUE(settled(*list));
    EXPECT_EQ(env.network->requests().size(), before + 1) << "the cache is ignored";
    EXPECT_EQ(announced, 2);
}

}  // namespace
}  // namespace movra
