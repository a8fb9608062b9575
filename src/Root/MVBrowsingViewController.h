// MVBrowsingViewController: a list screen. It loads one back-end path as a channel of items into the store,
// shows the stored items through a live query, pages through long feeds up to the feed's total, and loads
// again when the stored copy has expired, the network returns or (for the watchlist) the watchlist changes.
//
// Thread contract: main queue only.
#pragma once

#include "Foundation/NotificationCenter.h"
#include "Model/FetchedResultsController.h"
#include "Platform/HttpTask.h"
#include "Root/MVLoadingViewController.h"

#include <optional>
#include <string>
#include <vector>

namespace movra {

class MVItem;

class MVBrowsingViewController : public MVLoadingViewController, public FetchedResultsControllerDelegate {
  public:
    static constexpr const char* kDefaultNoDataText = "Sorry, there doesn't seem to be anything in this list.";
    static constexpr const char* kConnectionFailureText = "Please check your connection and try again.";
    static constexpr const char* MVNotificationLandingPageLoaded = "MVNotificationLandingPageLoaded";
    /// Items a page asks for unless a screen says otherwise.
    static constexpr unsigned long kDefaultMaxResultsPerPage = 30;
    static constexpr const char* kPagingErrorLog = "Server failed to page response properly.";

    MVBrowsingViewController();
    ~MVBrowsingViewController() override;

    std::string className() const override { return "MVBrowsingViewController"; }
    std::string describe() const override;

    // State (the defaults are those a new list has).
    const std::optional<std::string>& browsePath() const { return browsePath_; }
    void setBrowsePath(std::optional<std::string> path) { browsePath_ = std::move(path); }
    const std::shared_ptr<MVItem>& navigationParentItem() const { return parentItem_; }
    void setNavigationParentItem(std::shared_ptr<MVItem> item) { parentItem_ = std::move(item); }
    /// The channel shown: the one set, else the parent item's navigational guid.
    std::optional<std::string> navigationGuid() const;
    void setNavigationGuid(std::optional<std::string> guid) { navigationGuid_ = std::move(guid); }
    unsigned long maxResultsPerPage() const { return maxResultsPerPage_; }
    void setMaxResultsPerPage(unsigned long count) { maxResultsPerPage_ = count; }
    long totalResults() const { return totalResults_; }
    const std::optional<std::string>& sortKey() const { return sortKey_; }
    void setSortKey(std::optional<std::string> key) { sortKey_ = std::move(key); }
    bool showAlphabeticSectionHeaders() const { return alphabetic_; }
    void setShowAlphabeticSectionHeaders(bool show) { alphabetic_ = show; }
    bool alwaysReload() const { return alwaysReload_; }
    void setAlwaysReload(bool always) { alwaysReload_ = always; }
    bool isWatchlist() const { return isWatchlist_; }
    void setIsWatchlist(bool watchlist) { isWatchlist_ = watchlist; }
    bool initialCallComplete() const { return initialCallComplete_; }
    bool networkCallsCancelled() const { return networkCallsCancelled_; }
    const HttpTaskPtr& currentOperation() const { return currentOperation_; }
    const std::shared_ptr<MVChannel>& channel() const { return channel_; }
    const std::string& noDataText() const { return noDataText_; }
    void setNoDataText(std::string text) { noDataText_ = std::move(text); }

    // What the screen shows.
    /// The stored items, in list order.
    std::vector<std::shared_ptr<MVItem>> items() const;
    /// The rows grouped by alphabetic section (one unnamed section without headers).
    std::vector<FetchedResultsController::Section> sections() const;
    bool isShowingNoDataMessage() const { return showingNoData_; }
    bool isShowingLoadingView() const { return showingLoading_; }
    bool isShowingPagingView() const { return showingPaging_; }
    /// The failed view's message: the connection hint after a time-out or without network, else none.
    const std::optional<std::string>& failureMessage() const { return failureMessage_; }

    // Loading.
    /// The list refuses to enter Cancelled: a cancelled request leaves the state as it was.
    void setLoadingState(MVLoadingState state) override;
    void reloadContent(bool ignoreCache) override;
    using MVLoadingViewController::reloadContent;
    /// Fetches the next page while the stored items fall short of the feed's total.
    void pageContentIfNecessary(const std::shared_ptr<MVChannel>& channel);
    void watchlistChanged() { reloadContent(true); }
    void networkStatusChanged(bool reachable);
    /// Stops all requests, the live query and every observation (sign-out or disposal).
    void tearDown();

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidDisappear(bool animated) override;

    void controllerDidChangeContent(FetchedResultsController& controller) override;

  protected:
    void loadContentIgnoreCache(bool ignoreCache, LoadCompletion completion) override;
    bool loadSuccess(const std::shared_ptr<MVChannel>& result) override;
    void loadFailed(const ErrorPtr& error) override;
    void cancelNetworkOperations() override;
    /// The live query's result changed (shelves regroup their sections here).
    virtual void storedItemsChanged() {}
    /// The live query of the listed items, built at each run.
    virtual StoreContext::ItemQuery storedItemsQuery() const;
    /// The attribute that groups the rows into sections, if any.
    virtual std::optional<std::string> sectionNameKeyPath() const;
    const std::shared_ptr<FetchedResultsController>& fetchedResultsController() const { return results_; }

    /// Sets up the live query of the listed items (on load).
    virtual void setupFetchedResultsController();

  private:
    /// Reads the stored items again after a page was accepted.
    void refreshStoredItems();
    /// The stored channel of the first listed item.
    std::shared_ptr<MVChannel> storedChannel() const;
    void requestPage(unsigned long offset);
    void finishPaging(const std::shared_ptr<MVChannel>& channel);

    std::optional<std::string> browsePath_;
    std::shared_ptr<MVItem> parentItem_;
    std::optional<std::string> navigationGuid_;
    unsigned long maxResultsPerPage_ = kDefaultMaxResultsPerPage;
    long totalResults_ = -1;
    std::optional<std::string> sortKey_;
    bool alphabetic_ = false;
    bool alwaysReload_ = false;
    bool isWatchlist_ = false;
    bool initialCallComplete_ = false;
    bool networkCallsCancelled_ = false;
    HttpTaskPtr currentOperation_;
    std::shared_ptr<MVChannel> channel_;
    std::string noDataText_;
    bool showingNoData_ = false;
    bool showingLoading_ = false;
    bool showingPaging_ = false;
    std::optional<std::string> failureMessage_;
    std::shared_ptr<FetchedResultsController> results_;
    std::vector<ScopedObserver> observers_;
};

}  // namespace movra
