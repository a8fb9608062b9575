// MVOverviewViewController: the overview of a series beside its season tabs: its title, subtitle and
// description over its first season's picture.
//
// Thread contract: main queue only.
#pragma once

#include "Foundation/Url.h"
#include "Root/MVRootViewController.h"

namespace movra {

class MVOverviewViewController : public MVRootViewController {
  public:
    /// `interfaceName` names the layout it is built from.
    explicit MVOverviewViewController(std::string interfaceName) : interfaceName_(std::move(interfaceName)) {}

    std::string className() const override { return "MVOverviewViewController"; }
    const std::string& interfaceName() const { return interfaceName_; }

    const std::shared_ptr<MVItem>& navigationParentItem() const { return parentItem_; }
    void setNavigationParentItem(std::shared_ptr<MVItem> item) { parentItem_ = std::move(item); }
    const std::optional<std::string>& seriesTitle() const { return seriesTitle_; }
    void setSeriesTitle(std::optional<std::string> title) { seriesTitle_ = std::move(title); }
    const std::optional<std::string>& subtitle() const { return subtitle_; }
    void setSubtitle(std::optional<std::string> text) { subtitle_ = std::move(text); }
    const std::optional<std::string>& seriesDescription() const { return seriesDescription_; }
    void setSeriesDescription(std::optional<std::string> text) { seriesDescription_ = std::move(text); }
    const std::optional<std::string>& seasonTitle() const { return seasonTitle_; }
    void setSeasonTitle(std::optional<std::string> title) { seasonTitle_ = std::move(title); }
    const std::optional<Url>& heroImagePath() const { return heroImagePath_; }
    void setHeroImagePath(std::optional<Url> url) { heroImagePath_ = std::move(url); }

  private:
    std::string interfaceName_;
    std::shared_ptr<MVItem> parentItem_;
    std::optional<std::string> seriesTitle_, subtitle_, seriesDescription_, seasonTitle_;
    std::optional<Url> heroImagePath_;
};

}  // namespace movra
