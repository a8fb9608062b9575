// MVPopoverViewController: a short list shown in a pop-over.
//
// Thread contract: main queue only.
#pragma once

#include "Root/MVBrowsingViewController.h"

namespace movra {

class MVPopoverViewController : public MVBrowsingViewController {
  public:
    std::string className() const override { return "MVPopoverViewController"; }
};

}  // namespace movra
