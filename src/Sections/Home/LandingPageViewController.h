// LandingPageViewController: the landing page, a shelves screen with two personal shelves of its own,
// continue watching and the watchlist, which it fetches itself and follows through live queries.
//
// Thread contract: main queue only.
#pragma once

#include "Sections/Home/HorizontalScrollingShelvesTableViewController.h"

namespace movra {

class LandingPageViewController : public HorizontalScrollingShelvesTableViewController {
  public:
    std::string className() const override { return "LandingPageViewController"; }

    const std::shared_ptr<MVItem>& watchlistItem() const { return watchlistItem_; }
    void setWatchlistItem(std::shared_ptr<MVItem> item) { watchlistItem_ = std::move(item); }
    const std::shared_ptr<MVItem>& continueWatchingItem() const { return continueWatchingItem_; }
    void setContinueWatchingItem(std::shared_ptr<MVItem> item) { continueWatchingItem_ = std::move(item); }
    bool watchlistEmpty() const { return watchlistEmpty_; }
    bool continueWatchingEmpty() const { return continueWatchingEmpty_; }
    /// The watchlist's titles as stored.
    std::vector<std::shared_ptr<MVItem>> watchlistItems() const;
    /// The recently watched titles after the continue-watching filter.
    std::vector<std::shared_ptr<MVItem>> continueWatchingItems() const;
    /// Each personal shelf's fetch: Loading, then Loaded or Failed.
    MVLoadingState watchlistState() const { return watchlistState_; }
    MVLoadingState continueWatchingState() const { return continueWatchingState_; }

    void refreshWatchlist();
    void refreshContinueWatching();

    void viewDidLoad() override;
    void controllerDidChangeContent(FetchedResultsController& controller) override;

  protected:
    std::vector<ShelfSection> buildSections() override;

  private:
    /// One personal shelf: its menu item, its fetch and its live query.
    struct PersonalShelf {
        std::shared_ptr<FetchedResultsController> results;
        HttpTaskPtr fetch;
    };
    void refresh(PersonalShelf LandingPageViewController::*shelf, const std::shared_ptr<MVItem>& item,
                 MVLoadingState LandingPageViewController::*state);
    std::shared_ptr<FetchedResultsController> queryFor(const std::shared_ptr<MVItem>& item);

    std::shared_ptr<MVItem> watchlistItem_, continueWatchingItem_;
    PersonalShelf watchlist_, continueWatching_;
    MVLoadingState watchlistState_ = MVLoadingState::None;
    MVLoadingState continueWatchingState_ = MVLoadingState::None;
    bool watchlistEmpty_ = true;
    bool continueWatchingEmpty_ = true;
    std::vector<ScopedObserver> landingObservers_;
};

}  // namespace movra
