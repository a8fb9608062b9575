// MVSeriesSeasonViewController: one season of a series: a description header (section 0) above the season's
// episodes (section 1), loaded as a list. Tapping an episode opens its title screen.
//
// Thread contract: main queue only.
#pragma once

#include "Foundation/Url.h"
#include "Root/MVBrowsingViewController.h"

namespace movra {

class MVSeriesSeasonViewController : public MVBrowsingViewController {
  public:
    MVSeriesSeasonViewController();

    std::string className() const override { return "MVSeriesSeasonViewController"; }

    const std::optional<std::string>& seriesTitle() const { return seriesTitle_; }
    void setSeriesTitle(std::optional<std::string> title) { seriesTitle_ = std::move(title); }
    const std::optional<std::string>& seriesDescription() const { return seriesDescription_; }
    void setSeriesDescription(std::optional<std::string> text) { seriesDescription_ = std::move(text); }
    const std::optional<std::string>& seasonTitle() const { return seasonTitle_; }
    void setSeasonTitle(std::optional<std::string> title) { seasonTitle_ = std::move(title); }
    const std::optional<Url>& heroImagePath() const { return heroImagePath_; }
    void setHeroImagePath(std::optional<Url> url) { heroImagePath_ = std::move(url); }
    bool isHeaderExpanded() const { return headerExpanded_; }
    /// The series screen whose title follows the season of a tapped episode.
    void setSeriesScreen(std::weak_ptr<MVRootViewController> screen) { seriesScreen_ = std::move(screen); }

    /// A tap: section 0 is the header, which opens or closes; section 1 row `row` is an episode.
    void didSelectItem(std::size_t section, std::size_t row);

  private:
    std::optional<std::string> seriesTitle_, seriesDescription_, seasonTitle_;
    std::optional<Url> heroImagePath_;
    bool headerExpanded_ = false;
    std::weak_ptr<MVRootViewController> seriesScreen_;
};

}  // namespace movra
