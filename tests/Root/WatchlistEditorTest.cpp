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
    }

    /// A tap on a new button, reached from `source`, with time run past its animation.
    std::shared_ptr<WatchlistEditor> tap(const std::string& source) {
        auto button = std::make_shared<WatchlistEditor>(item, source, screen);
        button->toggle();
        env.advance(WatchlistEditor::kAnimationDelay);
        env.main().runPending();
        env.advance(WatchlistEditor::kAnimationDuration);
        EXPECT_TRUE(env.runUntil([&] { return button->isEnabled(); }));
        return button;
    }

    test::TestPlatform env;
    std::shared_ptr<MVItem> item = std::make_shared<MVItem>();
    std::shared_ptr<MVStackViewController> screen = std::make_shared<MVStackViewController>();
};

TEST_F(WatchlistEditorTest, AddsOnlyOnceTheAnimationHasEndedThenRemoves) {
    ProfileManager::setActiveProfile(ProfileTypeKids);
    tap("Home");
    EXPECT_EQ(env.crashReporter->nonFatalNames, std::vector<std::string>{"Called addToWatchList when in kids mode"});
    EXPECT_EQ(env.network->requests().size() + env.analytics->hits.size(), 0u);

    ProfileManager::setActiveProfile(ProfileTypeAdult);
    env.network->answerAll(xmlReply(200, "<result><status>Success</status></result>"));
    auto button = std::make_shared<WatchlistEditor>(item, "Home", screen);
    button->toggle();
    EXPECT_FALSE(button->isEnabled());
    const auto& event = env.analytics->hits.at(0);
    EXPECT_EQ(event.at("&ec") + "/" + event.at("&ea") + "/" + event.at("&el"), "Watchlist/Watchlist_Home/Frost Line");
    env.advance(WatchlistEditor::kAnimationDelay + WatchlistEditor::kAnimationDuration / 2);
    env.main().runPending();
    EXPECT_EQ(env.network->requests().size(), 0u);  // the animation has not ended
    env.advance(WatchlistEditor::kAnimationDuration);
    ASSERT_TRUE(env.runUntil([&] { return button->isEnabled(); }));
    EXPECT_TRUE(button->isInWatchlist() && item->isInWatchlist() == true);

    EXPECT_FALSE(tap("Home")->isInWatchlist());
    EXPECT_EQ(env.network->requests().at(0).method + env.network->requests().at(1).method, "POSTDELETE");
    EXPECT_FALSE(env.ui->lastAlert());
}

TEST_F(WatchlistEditorTest, AFailureKeepsTheStateAndSaysSo) {
    env.network->answerAll(xmlReply(500, "<result><status>Failure</status></result>"));
    for (bool saved : {false, true}) {
        item->setIsInWatchlist(saved);
        EXPECT_EQ(tap(/*source=*/"")->isInWatchlist(), saved);
        EXPECT_EQ(item->isInWatchlist(), saved);
        auto alert = env.ui->lastAlert();
        ASSERT_TRUE(alert);
        EXPECT_EQ(alert->title() + alert->message(), saved ? "Could not remove from watch list. Please try again later."
                                                           : "Could not add to watch list. Please try again later.");
        EXPECT_TRUE(alert->tapButton("OK"));
    }
    EXPECT_TRUE(env.analytics->hits.empty());  // no navigation source, no event
}

}  // namespace
}  // namespace movra
