// MVThumbnailViewController: a list of titles with their thumbnails, configured by the item it was routed
// from. Phones show it as a table, tablets as a grid.
//
// Thread contract: main queue only.
#pragma once

#include "Root/MVBrowsingViewController.h"
#include "Root/MVThumbnailViewControllerConfigurationDelegate.h"

namespace movra {

class MVThumbnailViewController : public MVBrowsingViewController,
                                  public MVThumbnailViewControllerConfigurationDelegate {
  public:
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
