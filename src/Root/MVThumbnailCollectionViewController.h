// MVThumbnailCollectionViewController: a grid of titles with their thumbnails (tablets).
//
// Thread contract: main queue only.
#pragma once

#include "Root/MVThumbnailViewController.h"

namespace movra {

class MVThumbnailCollectionViewController : public MVThumbnailViewController {
  public:
    std::string className() const override { return "MVThumbnailCollectionViewController"; }
};

}  // namespace movra
