#include "Sections/Series/MVSeriesViewController.h"

#include "Foundation/Localization.h"
#include "Foundation/Log.h"
#include "Model/MVChannel.h"
#include "Model/MVCoreDataService.h"
#include "Model/MVImageType.h"
#include "Model/MVItem.h"
#include "Platform/DeviceInfo.h"
#include "Platform/Platform.h"
#include "Sections/Series/MVOverviewViewController.h"
#include "Sections/Series/MVSeriesSeasonViewController.h"
#include "Sections/Series/ScrollingSeasonsViewController.h"

namespace movra {

MVSeriesViewController::MVSeriesViewController() {
    setTitle(MVLocalizedString("Series"));
    setCanShowCastBar(true);
}

void MVSeriesViewController::viewDidLoad() {
    setAutomaticallySendAnalyticsPageView(false);
    heroImagePath_ = thumbnailURL_;
    MVBrowsingViewController::viewDidLoad();
}

void MVSeriesViewController::setupFetchedResultsController() {
    // Opened for a season: the screen shows the season's whole series.
    if (const auto& parent = navigationParentItem();
        parent && parent->isSeasonItem() && !isEmpty(parent->parentURI())) {
        const std::string series = *parent->parentURI();
        setBrowsePath(series);
        const auto slash = series.find_last_of('/');
        setNavigationGuid(slash == std::string::npos ? series : series.substr(slash + 1));
    }
    MVBrowsingViewController::setupFetchedResultsController();
    buildTabs();
}

bool MVSeriesViewController::loadSuccess(const std::shared_ptr<MVChannel>& result) {
    const bool accepted = MVBrowsingViewController::loadSuccess(result);
    if (items().empty() && fetchedResultsController()) {
        ErrorPtr error;
        fetchedResultsController()->refetchNow(&error);
        if (error) Log::error("The seasons could not be read: {}", error->summary());
        buildTabs();
    }
    return accepted;
}

void MVSeriesViewController::storedItemsChanged() { buildTabs(); }

void MVSeriesViewController::buildTabs() {
    const auto stored = items();
    if (stored.empty()) return;
    seasonIdx_ = 0;
    seasons_.assign(stored.size(), nullptr);
    auto tabs = std::make_shared<ScrollingSeasonsViewController>(
        std::dynamic_pointer_cast<ScrollingSeasonsViewControllerSource>(shared_from_this()));
    // Opened for one season: its tab comes first to the eye.
    if (const auto& parent = navigationParentItem()) {
        std::optional<std::string> chosen;
        if (parent->guid() != parent->navigationalGUID())
            chosen = parent->navigationalGUID();
        else if (parent->isSeasonItem())
            chosen = parent->guid();
        for (std::size_t i = 0; chosen && i < stored.size(); ++i)
            if (stored[i]->guid() == chosen) {
                tabs->setCurrentPage(i);
                seasonIdx_ = i;
            }
    }
    tabs->loadViewIfNeeded();
    tabs_ = std::move(tabs);
    contentChanged();
}

std::size_t MVSeriesViewController::numberOfTabs() const { return items().size(); }

std::string MVSeriesViewController::titleForTabAtIndex(std::size_t index) const {
    const auto stored = items();
    return index < stored.size() ? stored[index]->title().value_or("") : std::string();
}

ViewControllerPtr MVSeriesViewController::childViewControllerForSeason(std::size_t index) {
    const auto stored = items();
    if (index >= stored.size()) return nullptr;
    if (seasons_.size() != stored.size()) seasons_.resize(stored.size());
    if (seasons_[index]) return seasons_[index];
    const auto& season = stored[index];
    auto screen = std::make_shared<MVSeriesSeasonViewController>();
    screen->setTheme(theme());
    screen->setNavigationParentItem(season);
    screen->setBrowsePath(season->link());
    screen->setSeriesTitle(navigationParentItem() ? navigationParentItem()->title() : std::nullopt);
    screen->setSeriesDescription(season->itemDescription());
    screen->setSeasonTitle(season->title());
    screen->setHeroImagePath(season->isFolderType() ? season->imageURLForType(MVImageTypeSeasonalHug) : thumbnailURL_);
    screen->setNavigationSource(navigationSource());
    screen->setSeriesScreen(std::static_pointer_cast<MVRootViewController>(shared_from_this()));
    seasons_[index] = screen;
    return screen;
}

ViewControllerPtr MVSeriesViewController::seriesOverview() {
    const auto stored = items();
    if (stored.empty()) return nullptr;
    const auto& season = stored.front();
    const bool regular = Platform::current().device().idiom() == UserInterfaceIdiom::Pad;
    auto overview = std::make_shared<MVOverviewViewController>(regular ? "MVOverviewViewController-iPad"
                                                                       : "MVOverviewViewController");
    overview->setTheme(theme());
    overview->setNavigationParentItem(season);
    overview->setSeriesTitle(navigationParentItem() ? navigationParentItem()->title() : std::nullopt);
    overview->setSeasonTitle(season->title());
    overview->setHeroImagePath(season->isFolderType() ? season->imageURLForType(MVImageTypeSeasonalHug)
                                                      : thumbnailURL_);
    overview->setNavigationSource(navigationSource());
    if (const auto& parent = navigationParentItem(); parent && parent->tagline())
        overview->setSubtitle(parent->tagline()->line2());
    auto store = MVCoreDataService::registered();
    if (auto* context = store ? store->mainContext() : nullptr; context && season->channelID())
        if (auto channel = context->fetchChannel(*season->channelID(), std::nullopt, std::nullopt, nullptr,
                                                 /*withItems=*/false))
            overview->setSeriesDescription(channel->channelDescription());
    return overview;
}

}  // namespace movra
