// MVSearchViewController: the search screen. Suggestions follow the typing (from the second character on,
// each keystroke replacing the previous request); the search key runs a full search. Both answers are stored
// as channels and shown filtered for the active profile. The last query and lists live in the shared search
// cache, so that the screen reopens where it was left.
//
// An answer is shown only while it is the newest of its kind: each request carries a number, and an answer
// whose number is not the latest (a keystroke or a search came after it) is dropped, even when it was already
// on its way to the main queue when it was cancelled.
//
// Thread contract: main queue only.
#pragma once

#include "Model/ProfileType.h"
#include "Platform/HttpTask.h"
#include "Root/MVRootViewController.h"
#include "Sections/Search/MVSearchViewControllerDelegate.h"

#include <cstdint>
#include <vector>

namespace movra {

class MVChannel;
class MVSharedSearchCache;

class MVSearchViewController : public MVRootViewController {
  public:
    enum class DisplayState : int {
        Idle = 0,
        Suggestions = 1,
        NoResults = 2,
        Results = 3,
        Failed = 4,
        Offline = 5,
        Loading = 6,
    };
    static constexpr const char* kNoResultsText = "Your search had no results.";
    static constexpr const char* kFailedText = "Failed to find results,\ntry again.";
    static constexpr const char* kOfflineText = "Please check your connection and try again.";
    static constexpr const char* kOtherProfileReport = "Received search results for non-active profile";
    using Items = std::vector<std::shared_ptr<MVItem>>;

    /// `cache`: the app's shared search cache; a fresh one when none is given.
    explicit MVSearchViewController(std::shared_ptr<MVSharedSearchCache> cache = nullptr);

    std::string className() const override { return "MVSearchViewController"; }
    std::string describe() const override;

    /// The menu entry whose paths the searches go to.
    const std::shared_ptr<MVItem>& searchItem() const { return searchItem_; }
    void setSearchItem(std::shared_ptr<MVItem> item) { searchItem_ = std::move(item); }
    void setDelegate(std::weak_ptr<MVSearchViewControllerDelegate> delegate) { delegate_ = std::move(delegate); }

    DisplayState state() const { return state_; }
    /// The message the state shows, if any.
    std::optional<std::string> message() const;
    const Items& items() const { return items_; }
    const Items& suggestedItems() const { return suggestedItems_; }
    /// What the search field holds.
    const std::string& searchText() const { return searchText_; }
    const std::string& lastSearchString() const;
    /// A suggestions or search request is under way.
    bool isLoading() const { return suggestionsTask_ || searchTask_; }

    /// Items of `items` the profile may see: all of them for no profile (or no items); reports a removal
    /// when asked to.
    static Items filterItems(const Items& items, ProfileType profile, bool shouldReportFiltering);
    /// Shows `items` filtered for the active profile as suggestions, or that nothing was found.
    void filterAndSetSearchItems(const Items& items);

    void searchBarTextDidChange(const std::string& text);
    void searchBarSearchButtonClicked(const std::string& text);
    /// A tap on a row of the list shown.
    void didSelectRow(std::size_t row);

    void viewWillAppear(bool animated) override;

  private:
    void setState(DisplayState state);
    void setItems(Items items);
    void setSuggestedItems(Items items);
    void cancelSuggestions();
    void cancelSearch();

    std::shared_ptr<MVSharedSearchCache> cache_;
    std::shared_ptr<MVItem> searchItem_;
    std::weak_ptr<MVSearchViewControllerDelegate> delegate_;
    DisplayState state_ = DisplayState::Idle;
    std::string searchText_;
    Items items_, suggestedItems_;
    HttpTaskPtr suggestionsTask_, searchTask_;
    /// The number of the latest request of each kind; an answer of another number is stale.
    std::uint64_t suggestionsRequest_ = 0, searchRequest_ = 0;
};

}  // namespace movra
