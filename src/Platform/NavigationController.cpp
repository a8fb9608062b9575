#include "Platform/NavigationController.h"

#include "Platform/Platform.h"

namespace movra {

std::string NavigationController::describe() const {
    auto top = topViewController();
    return top ? top->describe() : className();
}

void NavigationController::setRootViewController(ViewControllerPtr root) {
    for (auto& c : stack_) c->navigation_.reset();
    stack_.clear();
    if (!root) return;
    root->navigation_ = std::static_pointer_cast<NavigationController>(shared_from_this());
    root->loadViewIfNeeded();
    stack_.push_back(std::move(root));
}

void NavigationController::pushViewController(ViewControllerPtr controller, bool animated) {
    if (!controller) return;
    pushing_ = true;
    auto previous = topViewController();
    controller->navigation_ = std::static_pointer_cast<NavigationController>(shared_from_this());
    controller->loadViewIfNeeded();
    if (previous) previous->viewWillDisappear(animated);
    controller->viewWillAppear(animated);
    stack_.push_back(controller);
    Platform::current().uiHost().didPush(*this, *controller);
    if (previous) previous->viewDidDisappear(animated);
    pushing_ = false;
    controller->viewDidAppear(animated);
}

ViewControllerPtr NavigationController::popViewController(bool animated) {
    if (stack_.size() < 2) return nullptr;
    auto popped = stack_.back();
    popped->viewWillDisappear(animated);
    stack_.pop_back();
    popped->navigation_.reset();
    stack_.back()->viewWillAppear(animated);
    popped->viewDidDisappear(animated);
    stack_.back()->viewDidAppear(animated);
    return popped;
}

}  // namespace movra
