// MVThumbnailTableViewController: a list of titles with their thumbnails, one per row (phones).
//
// Thread contract: main queue only.
#pragma once

#include "Root/MVBrowsingViewController.h"
#include "Root/MVThumbnailViewControllerConfigurationDelegate.h"

namespace movra {

class MVThumbnailTableViewController : public MVBrowsingViewController,
                                       public MVThumbnailViewControllerConfigurationDelegate {
  public:
    std::string className() const override { return "MVThumbnailTableViewController"; }

    void setTitle(std::optional<std::string> title) override { MVRootViewController::setTitle(std::move(title)); }
    void setBrowsePath(std::optional<std::string> path) override {
        MVBrowsingViewController::setBrowsePath(std::move(path));
    }
    bool showProgressIndicators() const { return showProgress_; }
    void setShowProgressIndicators(bool show) override { showProgress_ = show; }
    bool enableSwipeToDelete() const { return swipeToDelete_; }
    void setEnableSwipeToDelete(bool enable) override { swipeToDelete_ = enable; }

  private:
    bool showProgress_ = false;
    bool swipeToDelete_ = false;
};

}  // namespace movra
