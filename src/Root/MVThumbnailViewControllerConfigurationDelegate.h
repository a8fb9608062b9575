// MVThumbnailViewControllerConfigurationDelegate: the list configuration a thumbnail list takes when it is
// routed to.
#pragma once

#include <optional>
#include <string>

namespace movra {

class MVThumbnailViewControllerConfigurationDelegate {
  public:
    virtual ~MVThumbnailViewControllerConfigurationDelegate() = default;
    virtual void setTitle(std::optional<std::string> title) = 0;
    virtual void setBrowsePath(std::optional<std::string> path) = 0;
    /// Rows show how far each title was watched.
    virtual void setShowProgressIndicators(bool show) = 0;
    /// Rows may be swiped away (the watchlist).
    virtual void setEnableSwipeToDelete(bool enable) = 0;
};

}  // namespace movra
