// MVSearchViewController: the search screen, opened from the root menu's search entry.
//
// Thread contract: main queue only.
#pragma once

#include "Root/MVRootViewController.h"

namespace movra {

class MVSearchViewController : public MVRootViewController {
  public:
    std::string className() const override { return "MVSearchViewController"; }
    /// The menu entry whose paths the searches go to.
    const std::shared_ptr<MVItem>& searchItem() const { return searchItem_; }
    void setSearchItem(std::shared_ptr<MVItem> item) { searchItem_ = std::move(item); }

  private:
    std::shared_ptr<MVItem> searchItem_;
};

}  // namespace movra
