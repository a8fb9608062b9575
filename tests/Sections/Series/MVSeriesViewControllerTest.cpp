// The series screen against scripted feeds: the seasons as tabs once loaded, a season opened for itself,
// season screens made once when first shown, an episode tapped, and a series or season with nothing in it.
#include "Model/MVItem.h"
#include "Model/MVItemType.h"
#include "Model/StoreTest.h"
#include "Root/MVEpisodeViewController.h"
#include "Root/MVNavigationController.h"
#include "Sections/Series/MVSeriesSeasonViewController.h"
#include "Sections/Series/MVSeriesViewController.h"
#include "Sections/Series/ScrollingSeasonsViewController.h"

#include <map>

namespace movra {
namespace {

std::string feedOf(const std::string& guid, const std::string& items, int count) {
    return R"(<rss xmlns:stravo="urn:s" xmlns:media="urn:m"><channel><guid>)" + guid + "</guid><title>" + guid +
           "</title><ttl>15</ttl><stravo:totalResults>" + std::to_string(count) + "</stravo:totalResults>" + items +
           "</channel></rss>";
}

std::string season(int number) {
    const std::string guid = "tide-s" + std::to_string(number);
    return "<item><guid>" + guid + "</guid><title>Season " + std::to_string(number) + "</title><link>browse/" + guid +
           "</link><stravo:itemType>folder</stravo:itemType><media:keywords>Season</media:keywords>"
           "<stravo:parentFolderUri>browse/tide</stravo:parentFolderUri><description>About season " +
           std::to_string(number) + "</description></item>";
}

std::string episodes(const std::string& seasonGuid, int count) {
    std::string items;
    for (int i = 1; i <= count; ++i)
        items += "<item><guid>" + seasonGuid + "e" + std::to_string(i) + "</guid><title>Episode " + std::to_string(i) +
                 "</title><stravo:itemType>media</stravo:itemType>"
                 "<media:keywords>Episode</media:keywords></item>";
    return feedOf(seasonGuid, items, count);
}

class MVSeriesViewControllerTest : public test::StoreTest {
  protected:
    MVSeriesViewControllerTest() {
        feeds["tide"] = feedOf("tide", season(1) + season(2) + season(3), 3);
        feeds["tide-s1"] = episodes("tide-s1", 4);
        feeds["tide-s2"] = episodes("tide-s2", 6);
        feeds["tide-s3"] = episodes("tide-s3", 0);
        env.network->setScript([this](const HttpRequest& request) {
            for (const auto& [name, xml] : feeds)
                if (request.url.find("/browse/" + name + "?") != std::string::npos) return test::xmlReply(200, xml);
            return test::xmlReply(503, test::errorDocument("Failure", "ST5030"));
        });
    }

    std::shared_ptr<MVItem> folder(const std::string& guid, const std::string& keywords) {
        auto item = std::make_shared<MVItem>();
        item->setGuid(guid);
        item->setNavigationalGUID(guid);
        item->setTitle("The Tide");
        item->setLink("browse/" + guid);
        item->setParentURI("browse/tide");
        item->setItemType(MVItemTypeFolder);
        item->setKeywords(keywords);
        return item;
    }

    /// The routed screen for `item`, shown and loaded.
    std::shared_ptr<MVSeriesViewController> open(const std::shared_ptr<MVItem>& item) {
        auto series =
            std::dynamic_pointer_cast<MVSeriesViewController>(MVRootViewController::viewControllerForCatalogItem(item));
        EXPECT_TRUE(series);
        if (!series) return nullptr;
        navigation->setRootViewController(series);
        series->viewWillAppear(false);
        series->viewDidAppear(false);
        EXPECT_TRUE(env.runUntil([&] { return series->initialCallComplete() && !series->currentOperation(); }));
        return series;
    }

    /// Shows a season screen and waits for its episodes.
    void load(const std::shared_ptr<MVSeriesSeasonViewController>& screen) {
        seasonNavigation->setRootViewController(screen);
        screen->viewWillAppear(false);
        screen->viewDidAppear(false);
        EXPECT_TRUE(env.runUntil([&] { return screen->initialCallComplete() && !screen->currentOperation(); }));
    }

    std::map<std::string, std::string> feeds;
    std::shared_ptr<MVNavigationController> navigation = std::make_shared<MVNavigationController>();
    std::shared_ptr<MVNavigationController> seasonNavigation = std::make_shared<MVNavigationController>();
};

TEST_F(MVSeriesViewControllerTest, SeasonsBecomeTabsWhoseScreensAreMadeOnceWhenFirstShown) {
    auto series = open(folder("tide", "Series"));
    ASSERT_TRUE(series && series->currentContentViewController());
    EXPECT_EQ(series->title(), "Series");
    ASSERT_EQ(series->numberOfTabs(), 3u);
    EXPECT_EQ(series->titleForTabAtIndex(1), "Season 2");
    const auto& made = series->seasonViewControllers();
    ASSERT_EQ(made.size(), 3u);
    EXPECT_TRUE(made[0]) << "the first tab is shown";
    EXPECT_FALSE(made[1] || made[2]) << "the others are placeholders";

    auto& tabs = *series->currentContentViewController();
    tabs.setCurrentPage(1);
    auto second = std::dynamic_pointer_cast<MVSeriesSeasonViewController>(tabs.currentViewController());
    ASSERT_TRUE(second);
    EXPECT_EQ(second->seasonTitle(), "Season 2");
    EXPECT_EQ(second->seriesTitle(), "The Tide");
    EXPECT_EQ(second->seriesDescription(), "About season 2");
    EXPECT_EQ(second->browsePath(), "browse/tide-s2");
    tabs.setCurrentPage(0);
    tabs.setCurrentPage(1);
    EXPECT_EQ(tabs.currentViewController(), second) << "a season screen is reused";
    tabs.setCurrentPage(7);
    EXPECT_EQ(tabs.currentPage(), 1u) << "a tab that does not exist changes nothing";

    // An episode opens its title screen, and the series takes the season's title.
    load(second);
    ASSERT_EQ(second->items().size(), 6u);
    second->didSelectItem(0, 0);
    EXPECT_TRUE(second->isHeaderExpanded());
    second->didSelectItem(1, 2);
    auto title = std::dynamic_pointer_cast<MVEpisodeViewController>(seasonNavigation->topViewController());
    ASSERT_TRUE(title);
    EXPECT_EQ(title->assetItem()->guid(), "tide-s2e3");
    EXPECT_EQ(series->title(), "Season 2");
    second->didSelectItem(1, 99);
    EXPECT_EQ(seasonNavigation->viewControllers().size(), 2u) << "a row past the list opens nothing";
}

TEST_F(MVSeriesViewControllerTest, ASeasonOpensItsWholeSeriesOnItsOwnTab) {
    auto series = open(folder("tide-s3", "Season"));
    ASSERT_TRUE(series && series->currentContentViewController());
    EXPECT_EQ(series->browsePath(), "browse/tide");
    EXPECT_EQ(series->numberOfTabs(), 3u);
    EXPECT_EQ(series->currentContentViewController()->currentPage(), 2u);
    EXPECT_EQ(series->seasonIdx(), 2u);

    // That season has no episodes: its screen says so.
    auto third = std::dynamic_pointer_cast<MVSeriesSeasonViewController>(
        series->currentContentViewController()->currentViewController());
    ASSERT_TRUE(third);
    load(third);
    EXPECT_EQ(third->loadingState(), MVLoadingState::Loaded);
    EXPECT_TRUE(third->isShowingNoDataMessage());
}

TEST_F(MVSeriesViewControllerTest, NoSeasonsOrAFailingFeedShowNoTabs) {
    feeds["tide"] = feedOf("tide", "", 0);
    auto empty = open(folder("tide", "Series"));
    ASSERT_TRUE(empty);
    EXPECT_FALSE(empty->currentContentViewController());
    EXPECT_TRUE(empty->isShowingNoDataMessage());

    feeds.erase("tide");
    ASSERT_FALSE(save([](StoreContext& context) { return context.deleteAll(); }));
    auto failed = open(folder("tide", "Series"));
    ASSERT_TRUE(failed);
    EXPECT_FALSE(failed->currentContentViewController());
    EXPECT_EQ(failed->loadingState(), MVLoadingState::Failed);
}

}  // namespace
}  // namespace movra
