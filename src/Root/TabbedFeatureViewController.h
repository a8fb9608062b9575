// TabbedFeatureViewController: a folder shown as tabs, one per item of its feed.
//
// Thread contract: main queue only.
#pragma once

#include "Root/MVBrowsingViewController.h"

namespace movra {

class TabbedFeatureViewController : public MVBrowsingViewController {
  public:
    std::string className() const override { return "TabbedFeatureViewController"; }
    /// The title shown above the tabs (the navigation bar shows title()).
    const std::optional<std::string>& screenTitle() const { return screenTitle_; }
    void setScreenTitle(std::optional<std::string> title) { screenTitle_ = std::move(title); }

  private:
    std::optional<std::string> screenTitle_;
};

}  // namespace movra
