// MVThumbnailTableViewController: a list of titles with their thumbnails, one per row (phones).
//
// Thread contract: main queue only.
#pragma once

#include "Root/MVThumbnailViewController.h"

namespace movra {

class MVThumbnailTableViewController : public MVThumbnailViewController {
  public:
    std::string className() const override { return "MVThumbnailTableViewController"; }
};

}  // namespace movra
