// MVSeriesViewController: a series, loaded as a list whose stored items are its seasons, shown as tabs with
// one season screen each. Opened for a season, it shows that season's whole series on that season's tab.
//
// Thread contract: main queue only.
#pragma once

#include "Foundation/Url.h"
#include "Root/MVBrowsingViewController.h"
#include "Sections/Series/ScrollingSeasonsViewControllerSource.h"

#include <vector>

namespace movra {

class MVSeriesSeasonViewController;
class ScrollingSeasonsViewController;

class MVSeriesViewController : public MVBrowsingViewController, public ScrollingSeasonsViewControllerSource {
  public:
    MVSeriesViewController();

    std::string className() const override { return "MVSeriesViewController"; }

    /// The series' picture (its item's image of type 4), set by the routing.
    const std::optional<Url>& thumbnailURL() const { return thumbnailURL_; }
    void setThumbnailURL(std::optional<Url> url) { thumbnailURL_ = std::move(url); }
    const std::optional<Url>& heroImagePath() const { return heroImagePath_; }
    /// One entry per season: nullptr until the season's screen is first needed.
    const std::vector<std::shared_ptr<MVSeriesSeasonViewController>>& seasonViewControllers() const { return seasons_; }
    std::size_t seasonIdx() const { return seasonIdx_; }
    const std::shared_ptr<ScrollingSeasonsViewController>& currentContentViewController() const { return tabs_; }

    void viewDidLoad() override;

    std::size_t numberOfTabs() const override;
    std::string titleForTabAtIndex(std::size_t index) const override;
    ViewControllerPtr childViewControllerForSeason(std::size_t index) override;
    ViewControllerPtr seriesOverview() override;

  protected:
    void setupFetchedResultsController() override;
    bool loadSuccess(const std::shared_ptr<MVChannel>& result) override;
    void storedItemsChanged() override;

  private:
    void buildTabs();

    std::optional<Url> thumbnailURL_;
    std::optional<Url> heroImagePath_;
    std::vector<std::shared_ptr<MVSeriesSeasonViewController>> seasons_;
    std::size_t seasonIdx_ = 0;
    std::shared_ptr<ScrollingSeasonsViewController> tabs_;
};

}  // namespace movra
