#include "Root/MVBrowsingViewController.h"

#include "API/MVHTTPClient.h"
#include "Foundation/Localization.h"
#include "Foundation/Log.h"
#include "Model/MVChannel.h"
#include "Model/MVCoreDataService.h"
#include "Model/MVDataManager.h"
#include "Model/MVItem.h"
#include "Platform/Platform.h"
#include "Platform/Reachability.h"
#include "Utilities/MVTavikLocale.h"

namespace movra {

namespace {
constexpr const char* kAlphabeticSectionKey = "alphabeticSectionKey";
}  // namespace

MVBrowsingViewController::MVBrowsingViewController() : noDataText_(MVLocalizedString(kDefaultNoDataText)) {
    setCanShowCastIntro(true);
    setAutomaticallySendAnalyticsPageView(true);
}

MVBrowsingViewController::~MVBrowsingViewController() {
    if (currentOperation_) currentOperation_->cancel();
}

std::string MVBrowsingViewController::describe() const {
    std::string text = className();
    if (title()) text += " \"" + *title() + "\"";
    text += std::string(" (") + loadingStateName(loadingState()) + ", " + std::to_string(items().size()) + " items";
    if (totalResults_ >= 0) text += " of " + std::to_string(totalResults_);
    return text + ")";
}

std::optional<std::string> MVBrowsingViewController::navigationGuid() const {
    if (navigationGuid_) return navigationGuid_;
    return parentItem_ ? parentItem_->navigationalGUID() : std::nullopt;
}

std::vector<std::shared_ptr<MVItem>> MVBrowsingViewController::items() const {
    return results_ ? results_->fetchedObjects() : std::vector<std::shared_ptr<MVItem>>();
}

std::vector<FetchedResultsController::Section> MVBrowsingViewController::sections() const {
    if (!results_) return {};
    if (alphabetic_) return results_->sections();
    return {FetchedResultsController::Section{.name = "", .objects = results_->fetchedObjects()}};
}

void MVBrowsingViewController::viewDidLoad() {
    MVLoadingViewController::viewDidLoad();
    initialCallComplete_ = false;
    auto& center = Platform::current().notificationCenter();
    std::weak_ptr<ViewController> weak = weak_from_this();
    auto observe = [&](const char* name, std::function<void(MVBrowsingViewController&, const Notification&)> act) {
        observers_.emplace_back(center, center.addObserver(name, [weak, act](const Notification& notification) {
            if (auto self = std::static_pointer_cast<MVBrowsingViewController>(weak.lock())) act(*self, notification);
        }));
    };
    observe(MVNotificationLogOut, [](MVBrowsingViewController& self, const Notification&) { self.tearDown(); });
    observe(kReachabilityDidChangeNotification, [](MVBrowsingViewController& self, const Notification& notification) {
        const int status = notification.userInfo.value(kReachabilityStatusKey, int{ReachabilityStatusUnknown});
        self.networkStatusChanged(status != ReachabilityStatusNotReachable);
    });
    if (isWatchlist_)
        observe(MVNotificationWatchlistChanged,
                [](MVBrowsingViewController& self, const Notification&) { self.watchlistChanged(); });
    setupFetchedResultsController();
}

void MVBrowsingViewController::setupFetchedResultsController() {
    std::weak_ptr<ViewController> weak = weak_from_this();
    results_ = std::make_shared<FetchedResultsController>(
        [weak] {
            auto self = std::static_pointer_cast<MVBrowsingViewController>(weak.lock());
            // A query that lists nothing once the screen is gone.
            return self ? self->storedItemsQuery() : MVDataManager::channelItemsQuery("");
        },
        sectionNameKeyPath());
    results_->setDelegate(std::dynamic_pointer_cast<FetchedResultsControllerDelegate>(shared_from_this()));
    if (auto error = results_->performFetch()) Log::error("List query failed: {}", error->summary());
}

StoreContext::ItemQuery MVBrowsingViewController::storedItemsQuery() const {
    auto query = MVDataManager::channelItemsQuery(navigationGuid().value_or(""));
    query.watchlistOnly = isWatchlist_;
    return query;
}

std::optional<std::string> MVBrowsingViewController::sectionNameKeyPath() const {
    return alphabetic_ ? std::optional<std::string>(kAlphabeticSectionKey) : std::nullopt;
}

void MVBrowsingViewController::refreshStoredItems() {
    if (results_ && results_->refetchNow()) storedItemsChanged();
}

void MVBrowsingViewController::controllerDidChangeContent(FetchedResultsController&) {
    storedItemsChanged();
    contentChanged();
}

std::shared_ptr<MVChannel> MVBrowsingViewController::storedChannel() const {
    auto listed = items();
    auto store = MVCoreDataService::registered();
    const auto guid = navigationGuid();
    if (listed.empty() || !store || !store->mainContext() || !guid) return nullptr;
    auto stored = store->mainContext()->fetchChannel(*guid, MVTavikLocale::mvtk_preferredLanguageString());
    return stored && stored->channelID() == listed.front()->channelID() ? stored : nullptr;
}

void MVBrowsingViewController::viewWillAppear(bool animated) {
    MVLoadingViewController::viewWillAppear(animated);
    networkCallsCancelled_ = false;
    if (auto stored = storedChannel()) {
        channel_ = stored;
        if (initialCallComplete_) pageContentIfNecessary(channel_);
    }
}

void MVBrowsingViewController::viewDidDisappear(bool animated) {
    MVLoadingViewController::viewDidDisappear(animated);
    networkCallsCancelled_ = true;
    cancelNetworkOperations();
}

void MVBrowsingViewController::setLoadingState(MVLoadingState state) {
    if (state == MVLoadingState::Cancelled) return;
    MVLoadingViewController::setLoadingState(state);
}

void MVBrowsingViewController::cancelNetworkOperations() {
    if (currentOperation_) currentOperation_->cancel();
    currentOperation_.reset();
}

void MVBrowsingViewController::reloadContent(bool ignoreCache) {
    cancelNetworkOperations();
    if (items().empty()) return MVLoadingViewController::reloadContent(ignoreCache);
    if (alwaysReload_) return MVLoadingViewController::reloadContent(true);
    auto stored = storedChannel();
    if (!stored) return MVLoadingViewController::reloadContent(ignoreCache);
    const double now = Platform::current().clock().secondsSince1970();
    if (stored->ttlExpiration().value_or(0) < now) {
        setLoadingState(MVLoadingState::Loading);
        showingLoading_ = true;
        contentChanged();
        return MVLoadingViewController::reloadContent(true);
    }
    if (ignoreCache) return MVLoadingViewController::reloadContent(true);
    setLoadingState(MVLoadingState::Loaded);
    showingLoading_ = false;
    loadSuccess(stored);
}

void MVBrowsingViewController::loadContentIgnoreCache(bool ignoreCache, LoadCompletion completion) {
    auto client = MVHTTPClient::sharedClient();
    if (!client) {
        completion(makeError(kURLErrorDomain, kURLErrorNotConnectedToInternet, "No connection to the service"),
                   nullptr);
        return;
    }
    currentOperation_ = client->browseToPath(browsePath_, 0, maxResultsPerPage_, sortKey_, /*ascending=*/true,
                                             ignoreCache, /*clearExistingItems=*/true,
                                             [completion](ErrorPtr error, std::shared_ptr<MVChannel> channel,
                                                          XMLDocumentPtr) { completion(error, channel); });
}

bool MVBrowsingViewController::loadSuccess(const std::shared_ptr<MVChannel>& result) {
    currentOperation_.reset();
    initialCallComplete_ = true;
    showingLoading_ = false;
    failureMessage_.reset();
    if (result) {
        channel_ = result;
        // The store has saved the page; the list shows it now rather than on the save notice's turn.
        refreshStoredItems();
        const long count = static_cast<long>(result->items().size());
        // A feed that does not say its total is taken to be complete.
        totalResults_ = result->totalResults().value_or(static_cast<std::int32_t>(count));
        showingNoData_ = count == 0;
        if (count < static_cast<long>(maxResultsPerPage_)) {
            if (count != totalResults_) Log::error("{}", kPagingErrorLog);
            setLoadingState(MVLoadingState::Loaded);
            showingPaging_ = false;
        } else {
            pageContentIfNecessary(result);
        }
    }
    contentChanged();
    Platform::current().notificationCenter().post(MVNotificationLandingPageLoaded, this);
    return true;
}

void MVBrowsingViewController::loadFailed(const ErrorPtr& error) {
    currentOperation_.reset();
    initialCallComplete_ = true;
    showingLoading_ = false;
    const bool connection =
        (error && error->code == kURLErrorTimedOut) || !Platform::current().reachability().isReachable();
    failureMessage_ = connection ? std::optional<std::string>(MVLocalizedString(kConnectionFailureText)) : std::nullopt;
    contentChanged();
}

void MVBrowsingViewController::pageContentIfNecessary(const std::shared_ptr<MVChannel>& channel) {
    const long stored = channel ? static_cast<long>(channel->items().size()) : 0;
    if (!networkCallsCancelled_ && totalResults_ > stored) {
        setLoadingState(MVLoadingState::Paging);
        showingPaging_ = true;
        contentChanged();
        requestPage(static_cast<unsigned long>(stored));
    } else if (initialCallComplete_) {
        setLoadingState(MVLoadingState::Loaded);
        showingPaging_ = false;
        contentChanged();
    }
}

void MVBrowsingViewController::requestPage(unsigned long offset) {
    auto client = MVHTTPClient::sharedClient();
    if (!client) return finishPaging(nullptr);
    std::weak_ptr<ViewController> weak = weak_from_this();
    currentOperation_ = client->browseToPath(
        browsePath_, offset, maxResultsPerPage_, sortKey_, /*ascending=*/true, /*ignoreCache=*/true,
        /*clearExistingItems=*/false,
        [weak, offset](ErrorPtr error, std::shared_ptr<MVChannel> channel, XMLDocumentPtr) {
            auto self = std::static_pointer_cast<MVBrowsingViewController>(weak.lock());
            if (!self) return;
            self->currentOperation_.reset();
            if (error) {
                Log::error("Server returned error: {}", error->summary());
                self->setLoadingState(error->code == kURLErrorCancelled ? MVLoadingState::Cancelled
                                                                        : MVLoadingState::Failed);
                self->showingPaging_ = false;
                self->contentChanged();
                return;
            }
            if (!channel) return self->finishPaging(nullptr);
            self->channel_ = channel;
            self->refreshStoredItems();
            if (channel->totalResults()) self->totalResults_ = *channel->totalResults();
            if (channel->items().size() >= offset + self->maxResultsPerPage_)
                self->pageContentIfNecessary(channel);
            else
                self->finishPaging(channel);
        });
}

void MVBrowsingViewController::finishPaging(const std::shared_ptr<MVChannel>& channel) {
    const long count = channel ? static_cast<long>(channel->items().size()) : 0;
    if (count != totalResults_) Log::error("{}", kPagingErrorLog);
    setLoadingState(MVLoadingState::Loaded);
    showingPaging_ = false;
    contentChanged();
}

void MVBrowsingViewController::networkStatusChanged(bool reachable) {
    if (reachable) reloadContent();
}

void MVBrowsingViewController::tearDown() {
    networkCallsCancelled_ = true;
    cancelNetworkOperations();
    results_.reset();
    observers_.clear();
}

}  // namespace movra
