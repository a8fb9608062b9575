#include "Platform/ViewController.h"

#include "Platform/NavigationController.h"
#include "Platform/Platform.h"
#include "Platform/Window.h"

namespace movra {

void ViewController::loadViewIfNeeded() {
    if (viewLoaded_) return;
    viewLoaded_ = true;
    viewDidLoad();
}

void ViewController::presentViewController(std::shared_ptr<ViewController> controller, bool animated,
                                           std::function<void()> completion) {
    if (!controller) return;
    // Like the platform, a screen that already presents something refuses a second presentation.
    if (presented_) return;
    presented_ = controller;
    controller->presenting_ = weak_from_this();
    controller->loadViewIfNeeded();
    controller->viewWillAppear(animated);
    Platform::current().uiHost().didPresent(*this, *controller);
    controller->viewDidAppear(animated);
    if (completion) Platform::current().mainQueue().post(std::move(completion));
}

void ViewController::dismissViewController(bool animated, std::function<void()> completion) {
    auto target = presented_;
    auto owner = shared_from_this();
    if (!target) {
        // Dismissing a presented screen asks its presenter.
        if (auto presenter = presenting_.lock()) {
            presenter->dismissViewController(animated, std::move(completion));
            return;
        }
        if (completion) Platform::current().mainQueue().post(std::move(completion));
        return;
    }
    target->viewWillDisappear(animated);
    presented_.reset();
    target->presenting_.reset();
    Platform::current().uiHost().didDismiss(*target);
    target->viewDidDisappear(animated);
    if (completion) Platform::current().mainQueue().post(std::move(completion));
}

std::shared_ptr<Window> ViewController::window() const {
    if (auto w = window_.lock()) return w;
    if (auto nav = navigation_.lock()) return nav->window();
    if (auto presenter = presenting_.lock()) return presenter->window();
    return nullptr;
}

}  // namespace movra
