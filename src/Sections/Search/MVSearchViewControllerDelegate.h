// MVSearchViewControllerDelegate: hears which result the user picked on the search screen.
#pragma once

#include <memory>

namespace movra {

class MVItem;
class MVSearchViewController;

class MVSearchViewControllerDelegate {
  public:
    virtual ~MVSearchViewControllerDelegate() = default;
    virtual void selectedSearchItem(MVSearchViewController& /*screen*/, const std::shared_ptr<MVItem>& /*item*/) {}
};

}  // namespace movra
