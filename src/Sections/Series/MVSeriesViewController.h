// MVSeriesViewController: a series, its seasons as tabs.
//
// Thread contract: main queue only.
#pragma once

#include "Foundation/Url.h"
#include "Root/MVBrowsingViewController.h"

namespace movra {

class MVSeriesViewController : public MVBrowsingViewController {
  public:
    std::string className() const override { return "MVSeriesViewController"; }
    /// The series' picture shown with its seasons.
    const std::optional<Url>& thumbnailImageURL() const { return thumbnailImageURL_; }
    void setThumbnailImageURL(std::optional<Url> url) { thumbnailImageURL_ = std::move(url); }

  private:
    std::optional<Url> thumbnailImageURL_;
};

}  // namespace movra
