// NavigationController: a stack of screens with an optional navigation bar.
//
// Thread contract: main queue only.
#pragma once

#include "Platform/ViewController.h"

#include <vector>

namespace movra {

class NavigationController : public ViewController {
  public:
    std::string className() const override { return "UINavigationController"; }
    std::string describe() const override;

    /// Sets the stack to `root` alone.
    void setRootViewController(ViewControllerPtr root);
    void pushViewController(ViewControllerPtr controller, bool animated);
    ViewControllerPtr popViewController(bool animated);
    const std::vector<ViewControllerPtr>& viewControllers() const { return stack_; }
    ViewControllerPtr topViewController() const { return stack_.empty() ? nullptr : stack_.back(); }
    /// A push is under way (a screen that appears may not push another from inside it).
    bool isPushing() const { return pushing_; }
    bool isNavigationBarHidden() const { return barHidden_; }
    void setNavigationBarHidden(bool hidden) { barHidden_ = hidden; }

  private:
    std::vector<ViewControllerPtr> stack_;
    bool barHidden_ = false;
    bool pushing_ = false;
};

}  // namespace movra
