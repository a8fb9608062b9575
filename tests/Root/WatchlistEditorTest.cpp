// The watchlist button of a title's screen: refused in the kids profile, the analytics event, the delay of
// its animation, the request it sends, and what it shows after success and after failure.
#include "API/MVHTTPClient.h"
#include "Model/MVItem.h"
#include "Model/ProfileManager.h"
#include "Root/MVStackViewController.h"
#include "Root/WatchlistEditor.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

using test::xmlReply;

class WatchlistEditorTest : public ::testing::Test {
  protected:
    WatchlistEditorTest() {
        MVHTTPClient::initSharedClientWithHost("api.test");
        item->setGuid("film-1");
        item->setAnalyticsLabel("Frost Line");
        ProfileManager::setActiveProfile(ProfileTypeAdult);
    }

    std::shared_ptr<WatchlistEditor> editor(const std::string& source = "Home") {
        return std::make_shared<WatchlistEditor>(item, source, screen);
    }

    /// Taps and lets the button's animation run to its end.
    void tapAndAnimate(WatchlistEditor& button) {
        button.toggle();
        env.advance(WatchlistEditor::kAnimationDelay);
        env.main().runPending();
        env.advance(WatchlistEditor::kAnimationDuration);
        ASSERT_TRUE(env.runUntil([&] { return button.isEnabled(); }));
    }

    test::TestPlatform env;
    std::shared_ptr<MVItem> item = std::make_shared<MVItem>();
    std::shared_ptr<MVStackViewController> screen = std::make_shared<MVStackViewController>();
};

TEST_F(WatchlistEditorTest, InTheKidsProfileNothingIsSentAndTheCallIsReported) {
    ProfileManager::setActiveProfile(ProfileTypeKids);
    auto button = editor();
    button->toggle();
    env.advance(1);
    env.main().runPending();
    EXPECT_EQ(env.crashReporter->nonFatalNames, std::vector<std::string>{"Called addToWatchList when in kids mode"});
    EXPECT_EQ(env.network->requestCount(), 0u);
    EXPECT_TRUE(env.analytics->hits.empty());
    EXPECT_TRUE(button->isEnabled());
}

TEST_F(WatchlistEditorTest, AddsAfterTheAnimationThenRemovesAndShowsEachNewState) {
    env.network->answerAll(xmlReply(200, "<result><status>Success</status></result>"));
    auto button = editor();
    button->toggle();
    EXPECT_FALSE(button->isEnabled());
    ASSERT_EQ(env.analytics->hits.size(), 1u);
    EXPECT_EQ(env.analytics->hits[0].at("&ec"), "Watchlist");
    EXPECT_EQ(env.analytics->hits[0].at("&ea"), "Watchlist_Home");
    EXPECT_EQ(env.analytics->hits[0].at("&el"), "Frost Line");
    env.advance(WatchlistEditor::kAnimationDelay + WatchlistEditor::kAnimationDuration / 2);
    env.main().runPending();
    EXPECT_EQ(env.network->requestCount(), 0u);  // the animation has not ended
    env.advance(WatchlistEditor::kAnimationDuration);
    ASSERT_TRUE(env.runUntil([&] { return button->isEnabled(); }));
    EXPECT_TRUE(button->isInWatchlist());
    EXPECT_EQ(item->isInWatchlist(), true);

    tapAndAnimate(*button);
    EXPECT_FALSE(button->isInWatchlist());
    const auto requests = env.network->requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[1].method, "DELETE");
    EXPECT_FALSE(env.ui->lastAlert());
}

TEST_F(WatchlistEditorTest, AFailureKeepsTheStateAndSaysSo) {
    env.network->answerAll(xmlReply(500, "<result><status>Failure</status></result>"));
    for (bool saved : {false, true}) {
        item->setIsInWatchlist(saved);
        auto button = editor(/*source=*/"");
        tapAndAnimate(*button);
        EXPECT_EQ(button->isInWatchlist(), saved);
        EXPECT_EQ(item->isInWatchlist(), saved);
        auto alert = env.ui->lastAlert();
        ASSERT_TRUE(alert);
        EXPECT_EQ(alert->title(), "");
        EXPECT_EQ(alert->message(), saved ? "Could not remove from watch list. Please try again later."
                                          : "Could not add to watch list. Please try again later.");
        EXPECT_TRUE(alert->tapButton("OK"));
    }
    EXPECT_TRUE(env.analytics->hits.empty());  // no navigation source, no event
}

}  // namespace
}  // namespace movra
