#include "Sections/Home/LandingPageViewController.h"

#include "API/MVHTTPClient.h"
#include "Foundation/Log.h"
#include "Model/MVDataManager.h"
#include "Model/MVItem.h"
#include "Model/MVRootMenuEntries.h"
#include "Model/ProfileManager.h"
#include "Platform/Platform.h"

#include <set>

namespace movra {

std::vector<std::shared_ptr<MVItem>> LandingPageViewController::watchlistItems() const {
    return watchlist_.results ? watchlist_.results->fetchedObjects() : std::vector<std::shared_ptr<MVItem>>();
}

std::vector<std::shared_ptr<MVItem>> LandingPageViewController::continueWatchingItems() const {
    if (!continueWatching_.results) return {};
    // Episodes of one series are one entry: the most recently watched, which the list holds first.
    std::vector<std::shared_ptr<MVItem>> kept;
    std::set<std::string> series;
    for (const auto& item : continueWatching_.results->fetchedObjects()) {
        const std::string name = item->series().value_or("");
        if (name.empty() || series.insert(name).second) kept.push_back(item);
    }
    return kept;
}

void LandingPageViewController::viewDidLoad() {
    auto& center = Platform::current().notificationCenter();
    std::weak_ptr<ViewController> weak = weak_from_this();
    auto self = [weak] { return std::static_pointer_cast<LandingPageViewController>(weak.lock()); };
    landingObservers_.emplace_back(center,
                                   center.addObserver(MVNotificationWatchlistChanged, [self](const Notification&) {
                                       if (auto screen = self()) screen->refreshWatchlist();
                                   }));
    landingObservers_.emplace_back(center, center.addObserver(MVRecentlyWatchedUpdated, [self](const Notification&) {
        if (auto screen = self()) screen->refreshContinueWatching();
    }));
    auto entries = MVRootMenuEntries::shared();
    if (!watchlistItem_) watchlistItem_ = entries->watchlistItem();
    watchlist_.results.reset();
    refreshWatchlist();
    if (!continueWatchingItem_) continueWatchingItem_ = entries->recentlyWatched();
    continueWatching_.results.reset();
    refreshContinueWatching();
    HorizontalScrollingShelvesTableViewController::viewDidLoad();
}

void LandingPageViewController::refreshWatchlist() {
    refresh(&LandingPageViewController::watchlist_, watchlistItem_, &LandingPageViewController::watchlistState_);
}

void LandingPageViewController::refreshContinueWatching() {
    refresh(&LandingPageViewController::continueWatching_, continueWatchingItem_,
            &LandingPageViewController::continueWatchingState_);
}

void LandingPageViewController::refresh(PersonalShelf LandingPageViewController::*member,
                                        const std::shared_ptr<MVItem>& item,
                                        MVLoadingState LandingPageViewController::*state) {
    auto client = MVHTTPClient::sharedClient();
    if (!item || !client) return;
    auto& shelf = this->*member;
    if (shelf.fetch) shelf.fetch->cancel();
    this->*state = MVLoadingState::Loading;
    std::weak_ptr<ViewController> weak = weak_from_this();
    shelf.fetch = client->browseToPath(
        item->link(), 0, MVDataManager::kShelfPageSize, std::nullopt, /*ascending=*/true, /*ignoreCache=*/true,
        /*clearExistingItems=*/true,
        [weak, item, member, state](ErrorPtr error, std::shared_ptr<MVChannel>, XMLDocumentPtr) {
            auto self = std::static_pointer_cast<LandingPageViewController>(weak.lock());
            if (!self || (error && error->code == kURLErrorCancelled)) return;
            auto& done = self.get()->*member;
            done.fetch.reset();
            if (error) Log::error("Personal shelf {} failed: {}", item->title().value_or("?"), error->summary());
            self.get()->*state = error ? MVLoadingState::Failed : MVLoadingState::Loaded;
            done.results = self->queryFor(item);
            self->resetSections();
            self->contentChanged();
        });
}

std::shared_ptr<FetchedResultsController> LandingPageViewController::queryFor(const std::shared_ptr<MVItem>& item) {
    const std::string guid = item->navigationalGUID().value_or("");
    auto results =
        std::make_shared<FetchedResultsController>([guid] { return MVDataManager::channelItemsQuery(guid); });
    results->setDelegate(std::dynamic_pointer_cast<FetchedResultsControllerDelegate>(shared_from_this()));
    if (auto error = results->performFetch()) Log::error("Personal shelf query failed: {}", error->summary());
    return results;
}

void LandingPageViewController::controllerDidChangeContent(FetchedResultsController& controller) {
    if (&controller == watchlist_.results.get() || &controller == continueWatching_.results.get()) {
        resetSections();
        contentChanged();
        return;
    }
    HorizontalScrollingShelvesTableViewController::controllerDidChangeContent(controller);
}

std::vector<LandingPageViewController::ShelfSection> LandingPageViewController::buildSections() {
    std::vector<ShelfSection> built = {{SectionKind::Carousel, {}},         {SectionKind::RecommendedShelves, {}},
                                       {SectionKind::ContinueWatching, {}}, {SectionKind::AgeRangeShelves, {}},
                                       {SectionKind::Shelves, {}},          {SectionKind::Watchlist, {}}};
    for (const auto& item : items())
        if (auto kind = classify(*item, /*withAgeRange=*/true)) place(built, *kind, item);
    watchlistEmpty_ = watchlistItems().empty();
    if (watchlistItem_ && ProfileManager::activeProfile() == ProfileTypeAdult && !watchlistEmpty_)
        place(built, SectionKind::Watchlist, watchlistItem_);
    continueWatchingEmpty_ = continueWatchingItems().empty();
    if (!continueWatchingEmpty_ && continueWatchingItem_)
        place(built, SectionKind::ContinueWatching, continueWatchingItem_);
    return built;
}

}  // namespace movra
