#include "Root/MVRootViewController.h"

#include "App/MVAnalytics.h"
#include "App/MVAppDelegate.h"
#include "Cast/MVCastManager.h"
#include "Foundation/Json.h"
#include "Foundation/Localization.h"
#include "Foundation/Log.h"
#include "Model/AdultModeTheme.h"
#include "Model/KidsModeTheme.h"
#include "Model/MVItem.h"
#include "Model/MVItemType.h"
#include "Model/ProfileManager.h"
#include "Platform/AlertController.h"
#include "Platform/DeviceInfo.h"
#include "Platform/Platform.h"
#include "Platform/UiHost.h"
#include "Root/MVBrowsingViewController.h"
#include "Root/MVEpisodeViewController.h"
#include "Root/MVMenuViewController.h"
#include "Root/MVNavigationController.h"
#include "Root/MVPopoverViewController.h"
#include "Root/MVStackViewController.h"
#include "Root/MVThumbnailCollectionViewController.h"
#include "Root/MVThumbnailTableViewController.h"
#include "Root/MVWebViewController.h"
#include "Root/TabbedFeatureViewController.h"
#include "Sections/Home/LandingPageViewController.h"
#include "Sections/MoviePlayer/MVDRMVideoPlayerViewController.h"
#include "Sections/Search/MVSearchViewController.h"
#include "Sections/Series/MVSeriesViewController.h"

namespace movra {

namespace {

bool isWatchlistList(const MVItem& item) {
    return item.keywordsContain("watchlist") || item.itemType() == MVItemTypeSaved;
}

bool isPersonalList(const MVItem& item) { return item.keywordsContain("recentlywatched") || isWatchlistList(item); }

ViewControllerPtr folderScreen(const std::shared_ptr<MVItem>& item, bool atTopLevel) {
    if (item->keywordsContain("Series") || item->keywordsContain("Season")) {
        auto series = std::make_shared<MVSeriesViewController>();
        series->setTheme(ProfileManager::themeForActiveProfile());
        series->setThumbnailURL(item->imageURLForType(MVImageTypeSeasonalHug));
        return series;
    }
    if (item->keywordsContain("Popover")) return std::make_shared<MVPopoverViewController>();
    const bool landing = item->keywordsContain("Landing") || item->keywordsContain("lockable");
    if (landing || item->keywordsContain("Featured")) {
        auto shelves = landing ? std::make_shared<LandingPageViewController>()
                               : std::make_shared<HorizontalScrollingShelvesTableViewController>();
        if (item->isKidsItem())
            shelves->setTheme(KidsModeTheme::shared());
        else
            shelves->setTheme(AdultModeTheme::shared());
        shelves->setNavigationParentItem(item);
        shelves->setTitle(item->title());
        shelves->setBrowsePath(item->link());
        shelves->setShowsLogoInTitle(!item->keywordsContain("Featured"));
        return shelves;
    }
    const bool personal = isPersonalList(*item);
    if ((personal || !atTopLevel) && !item->keywordsContain("age_range")) {
        std::shared_ptr<MVThumbnailViewController> list;
        if (Platform::current().device().idiom() == UserInterfaceIdiom::Pad)
            list = std::make_shared<MVThumbnailCollectionViewController>();
        else
            list = std::make_shared<MVThumbnailTableViewController>();
        MVThumbnailViewControllerConfigurationDelegate& configuration = *list;
        list->setTheme(ProfileManager::themeForActiveProfile());
        if (personal) {
            list->setAlwaysReload(true);
            list->setIsWatchlist(isWatchlistList(*item));
        }
        configuration.setTitle(item->title());
        configuration.setBrowsePath(item->link());
        if (personal) configuration.setShowProgressIndicators(true);
        if (isWatchlistList(*item)) configuration.setEnableSwipeToDelete(true);
        return list;
    }
    auto tabs = std::make_shared<TabbedFeatureViewController>();
    tabs->setTheme(ProfileManager::themeForActiveProfile());
    tabs->setTitle(item->title());
    tabs->setScreenTitle(item->title());
    tabs->setBrowsePath(item->link());
    return tabs;
}

ViewControllerPtr assetScreen(const std::shared_ptr<MVItem>& item) {
    if (item->itemType() == MVItemTypeSearch) {
        auto search = std::make_shared<MVSearchViewController>();
        search->setTitle(item->title());
        search->setSearchItem(item);
        return search;
    }
    if (item->itemType() == MVItemTypeExternal) {
        auto web = std::make_shared<MVWebViewController>(item->link());
        web->setTitle(item->title());
        return web;
    }
    if (item->itemType().value_or(MVItemTypeUnknown) == MVItemTypeUnknown) {
        // A title screen could neither play nor describe it.
        Log::warning("Item {} is of no known type: no screen shows it", item->guid().value_or("(no guid)"));
        return nullptr;
    }
    auto title = std::make_shared<MVEpisodeViewController>();
    title->setTheme(ProfileManager::themeForActiveProfile());
    title->setAssetItem(item);
    return title;
}

std::string joined(const std::optional<std::string>& source, const std::optional<std::string>& label) {
    return source.value_or("") + "_" + label.value_or("");
}

}  // namespace

ViewControllerPtr MVRootViewController::viewControllerForCatalogItem(const std::shared_ptr<MVItem>& item,
                                                                     bool atTopLevel) {
    if (!item) return nullptr;
    ViewControllerPtr screen = item->isFolderType() ? folderScreen(item, atTopLevel) : assetScreen(item);
    if (auto list = std::dynamic_pointer_cast<MVBrowsingViewController>(screen)) {
        list->setBrowsePath(item->link());
        list->setNavigationParentItem(item);
        if (item->keywordsContain("Alphabetic")) {
            list->setShowAlphabeticSectionHeaders(true);
            list->setSortKey("name");
        }
        if (item->keywordsContain("recentlywatched"))
            list->setNoDataText(MVLocalizedString("You haven't watched any videos yet."));
        if (isWatchlistList(*item))
            list->setNoDataText(
                MVLocalizedString("Create your Watchlist by adding videos you want to watch later on."));
    }
    return screen;
}

void MVRootViewController::navigateHome() {
    auto delegate = MVAppDelegate::sharedAppDelegate();
    auto window = delegate ? delegate->window() : nullptr;
    auto stack = window ? std::dynamic_pointer_cast<MVStackViewController>(window->rootViewController()) : nullptr;
    if (stack && stack->mainMenu()) stack->mainMenu()->navigateHome();
}

void MVRootViewController::navigateToCatalogItem(const std::shared_ptr<MVItem>& item,
                                                 const std::optional<std::string>& source,
                                                 const std::optional<std::string>& title,
                                                 NavigationCompletion completion) {
    auto finish = [&completion](bool pushed) {
        if (completion) completion(pushed);
    };
    auto navigation = navigationController();
    if (!item || (std::dynamic_pointer_cast<MVNavigationController>(navigation) && navigation->isPushing()))
        return finish(false);
    ViewControllerPtr screen;
    if (item->isFolderType() && !isEmpty(item->link())) {
        if (!isEmpty(source)) MVTrackEvent("Taps", *source, item->analyticsLabel(), 0);
        screen = viewControllerForCatalogItem(item, /*atTopLevel=*/false);
        auto root = std::dynamic_pointer_cast<MVRootViewController>(screen);
        if (root && !isEmpty(source)) root->setNavigationSource(joined(source, item->analyticsLabel()));
        if (root && !isEmpty(title)) root->setTitle(title);
    } else {
        if (!isEmpty(navigationSource_))
            MVTrackEvent("Taps", source.value_or("") + "_Asset", item->analyticsLabel(), 0);
        screen = viewControllerForCatalogItem(item, /*atTopLevel=*/false);
        if (auto root = std::dynamic_pointer_cast<MVRootViewController>(screen)) {
            if (ProfileManager::activeProfile() == ProfileTypeKids)
                root->setTheme(KidsModeTheme::shared());
            else
                root->setTheme(AdultModeTheme::shared());
            root->setNavigationSource(joined(source, item->analyticsLabel()));
        }
    }
    if (!screen) return finish(false);
    if (navigation) navigation->pushViewController(screen, /*animated=*/true);
    finish(true);
}

void MVRootViewController::playCatalogItem(const std::shared_ptr<MVItem>& item,
                                           std::shared_ptr<ViewControllerTransitioningDelegate> transitioningDelegate,
                                           std::shared_ptr<const Image> /*splashImage*/) {
    if (!item) return;
    bool playable = false;
    if (auto group = item->group(); group && !group->content().empty()) {
        auto content = item->movieMediaContentForType(MVMediaContentTypeHLSFairPlay);
        playable = content && !isEmpty(content->url());
    }
    auto delegate = MVAppDelegate::sharedAppDelegate();
    auto cast = delegate ? delegate->castManager() : nullptr;
    if (!playable && !(cast && cast->isCasting())) {
        showUnknownPlaybackError();
        return;
    }
    if (delegate) delegate->setAllowLandscape(true);
    auto player = std::make_shared<MVDRMVideoPlayerViewController>();
    player->setAssetItem(item);
    auto container = std::make_shared<MVNavigationController>();
    container->setNavigationBarHidden(true);
    container->setRootViewController(player);
    if (transitioningDelegate) {
        container->setModalPresentationStyle(ModalPresentationStyle::Custom);
        container->setTransitioningDelegate(std::move(transitioningDelegate));
    } else {
        container->setModalPresentationStyle(ModalPresentationStyle::FullScreen);
    }
    ViewControllerPtr presenter = navigationController();
    if (!presenter) presenter = shared_from_this();
    presenter->presentViewController(container, /*animated=*/true);
}

void MVRootViewController::showUnknownPlaybackError() {
    auto alert =
        std::make_shared<AlertController>(MVLocalizedString("Error"), MVLocalizedString(kUnknownPlaybackErrorMessage));
    alert->addAction({MVLocalizedString("OK"), AlertController::ActionStyle::Cancel, nullptr});
    presentViewController(alert, /*animated=*/true);
}

void MVRootViewController::viewDidAppear(bool animated) {
    ViewController::viewDidAppear(animated);
    if (sendsPageView_ && !isEmpty(navigationSource_)) MVTrackScreenView(navigationSource_);
}

void MVRootViewController::contentChanged() const { Platform::current().uiHost().contentDidChange(*this); }

}  // namespace movra
