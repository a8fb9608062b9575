// The routing table from catalogue item to screen, navigation with its analytics, playback of a title,
// and the screen view a screen sends when it appears.
#include "Model/KidsModeTheme.h"
#include "Model/MVItem.h"
#include "Model/MVItemType.h"
#include "Model/ProfileManager.h"
#include "Root/MVEpisodeViewController.h"
#include "Root/MVNavigationController.h"
#include "Root/MVPopoverViewController.h"
#include "Root/MVThumbnailCollectionViewController.h"
#include "Root/MVThumbnailTableViewController.h"
#include "Root/MVWebViewController.h"
#include "Root/TabbedFeatureViewController.h"
#include "Sections/Home/LandingPageViewController.h"
#include "Sections/MoviePlayer/MVDRMVideoPlayerViewController.h"
#include "Sections/Search/MVSearchViewController.h"
#include "Sections/Series/MVSeriesViewController.h"
#include "support/LogCapture.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

std::shared_ptr<MVItem> catalogueItem(std::int32_t type, const std::string& keywords, const std::string& link = "l") {
    auto item = std::make_shared<MVItem>();
    item->setGuid("g");
    item->setTitle("A Title");
    item->setAnalyticsLabel("Label");
    item->setItemType(type);
    item->setKeywords(keywords);
    if (!link.empty()) item->setLink(link);
    return item;
}

class MVRootViewControllerTest : public ::testing::Test {
  protected:
    MVRootViewControllerTest() {
        navigation->setRootViewController(home);
        home->setNavigationSource("Home");
    }

    /// "category/action/label" of each event sent, or "screen" for a screen view.
    std::vector<std::string> hits() const {
        std::vector<std::string> out;
        for (const auto& h : env.analytics->hits)
            out.push_back(h.at("&t") == "screenview" ? std::string("screen")
                                                     : h.at("&ec") + "/" + h.at("&ea") + "/" + h.at("&el"));
        return out;
    }

    test::TestPlatform env;
    std::shared_ptr<MVNavigationController> navigation = std::make_shared<MVNavigationController>();
    std::shared_ptr<MVThumbnailTableViewController> home = std::make_shared<MVThumbnailTableViewController>();
};

TEST_F(MVRootViewControllerTest, RoutesEachItemToItsScreen) {
    struct Case {
        const char* what;
        std::int32_t type;
        std::string keywords;
        bool topLevel;
        std::string screen;
    };
    const Case cases[] = {
        {"series before featured", MVItemTypeFolder, "Series, Featured", false, "MVSeriesViewController"},
        {"a season", MVItemTypeFolder, "Season", false, "MVSeriesViewController"},
        {"a pop-over", MVItemTypeFolder, "Popover", false, "MVPopoverViewController"},
        {"the landing page", MVItemTypeFolder, "Landing", true, "LandingPageViewController"},
        {"the kids section", MVItemTypeFolder, "lockable", true, "LandingPageViewController"},
        {"featured shelves", MVItemTypeFolder, "Featured", true, "HorizontalScrollingShelvesTableViewController"},
        {"a folder from the menu", MVItemTypeFolder, "Films", true, "TabbedFeatureViewController"},
        {"a folder inside a screen", MVItemTypeFolder, "Films", false, "MVThumbnailTableViewController"},
        {"an age range inside a screen", MVItemTypeFolder, "age_range", false, "TabbedFeatureViewController"},
        {"the watchlist from the menu", MVItemTypeSaved, "", true, "MVThumbnailTableViewController"},
        {"recently watched from the menu", MVItemTypeFolder, "recentlywatched", true, "MVThumbnailTableViewController"},
        {"search", MVItemTypeSearch, "", true, "MVSearchViewController"},
        {"an external page", MVItemTypeExternal, "", false, "MVWebViewController"},
        {"a title", MVItemTypeMedia, "Film", false, "MVEpisodeViewController"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto screen = MVRootViewController::viewControllerForCatalogItem(catalogueItem(c.type, c.keywords), c.topLevel);
        ASSERT_TRUE(screen);
        EXPECT_EQ(screen->className(), c.screen);
    }
    EXPECT_FALSE(MVRootViewController::viewControllerForCatalogItem(nullptr));
    env.device->idiom_ = UserInterfaceIdiom::Pad;
    EXPECT_EQ(MVRootViewController::viewControllerForCatalogItem(catalogueItem(MVItemTypeFolder, "Films"))->className(),
              "MVThumbnailCollectionViewController");
}

TEST_F(MVRootViewControllerTest, NavigationPushesTheRoutedScreenAndSaysWhereFrom) {
    std::vector<bool> completions;
    auto done = [&](bool pushed) { completions.push_back(pushed); };
    home->navigateToCatalogItem(catalogueItem(MVItemTypeFolder, "Films"), "Shelf", "Chosen", done);
    auto list = std::dynamic_pointer_cast<MVRootViewController>(navigation->topViewController());
    ASSERT_TRUE(list);
    EXPECT_EQ(list->navigationSource(), "Shelf_Label");
    EXPECT_EQ(list->title(), "Chosen");

    ProfileManager::setActiveProfile(ProfileTypeKids);
    home->navigateToCatalogItem(catalogueItem(MVItemTypeMedia, "Film"), "Shelf", std::nullopt, done);
    auto title = std::dynamic_pointer_cast<MVEpisodeViewController>(navigation->topViewController());
    ASSERT_TRUE(title);
    EXPECT_EQ(title->theme()->name(), KidsModeTheme::shared()->name());
    EXPECT_EQ(title->navigationSource(), "Shelf_Label");
    // The list sends its screen view when it appears; the title screen does not ask for one.
    EXPECT_EQ(hits(), (std::vector<std::string>{"Taps/Shelf/Label", "screen", "Taps/Shelf_Asset/Label"}));

    // An item of no known kind routes nowhere, and the log says so.
    test::LogCapture log;
    home->navigateToCatalogItem(catalogueItem(MVItemTypeUnknown, ""), "Shelf", std::nullopt, done);
    EXPECT_EQ(completions, (std::vector<bool>{true, true, false}));
    EXPECT_EQ(navigation->viewControllers().size(), 3u);
    EXPECT_EQ(log.containing("no screen shows").size(), 1u);
}

TEST_F(MVRootViewControllerTest, OnlyAPlayableTitleOpensThePlayer) {
    auto title = catalogueItem(MVItemTypeMedia, "Film");
    home->playCatalogItem(title);
    auto alert = env.ui->lastAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title() + "|" + alert->message(),
              "Error|" + std::string(MVRootViewController::kUnknownPlaybackErrorMessage));
    ASSERT_TRUE(alert->tapButton("OK"));

    title->setGroupData(Json{
        {"content",
         Json::array({{{"url", "https://media.test/master.m3u8"}, {"medium", "video"}, {"profile", "MVTK-HLS-FPS"}}})},
        {"thumbnails",
         Json::array()}}.dump());
    home->playCatalogItem(title);
    auto container = std::dynamic_pointer_cast<MVNavigationController>(navigation->presentedViewController());
    ASSERT_TRUE(container);
    EXPECT_TRUE(container->isNavigationBarHidden());
    EXPECT_EQ(container->modalPresentationStyle(), ModalPresentationStyle::FullScreen);
    auto player = std::dynamic_pointer_cast<MVDRMVideoPlayerViewController>(container->topViewController());
    ASSERT_TRUE(player);
    EXPECT_EQ(player->assetItem(), title);
}

}  // namespace
}  // namespace movra
