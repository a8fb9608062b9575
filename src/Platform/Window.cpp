#include "Platform/Window.h"

#include "Platform/UiHost.h"

namespace movra {

Window::Window(UiHost& host, std::string name) : host_(host), name_(std::move(name)) {}

Window::~Window() {
    host_.windowWillClose(*this);
    host_.forget(this);
}

void Window::setRootViewController(ViewControllerPtr root) {
    if (root_ == root) return;
    // On a window on screen the old root disappears and the new one appears, as on the platform.
    auto leaving = hidden_ ? nullptr : root_;
    if (leaving) leaving->viewWillDisappear(false);
    if (root_) root_->window_.reset();
    root_ = std::move(root);
    if (root_) {
        root_->window_ = weak_from_this();
        root_->loadViewIfNeeded();
    }
    auto arriving = hidden_ ? nullptr : root_;
    if (arriving) arriving->viewWillAppear(false);
    if (leaving) leaving->viewDidDisappear(false);
    if (arriving) arriving->viewDidAppear(false);
    changed();
}

void Window::setAlpha(double alpha) {
    alpha_ = alpha < 0 ? 0 : (alpha > 1 ? 1 : alpha);
    changed();
}

void Window::setWindowLevel(double level) {
    level_ = level;
    changed();
}

void Window::setTransform(double scale, double translationX, double translationY) {
    scale_ = scale;
    tx_ = translationX;
    ty_ = translationY;
    changed();
}

void Window::setHidden(bool hidden) {
    if (hidden != hidden_) {
        hidden_ = hidden;
        rootVisibilityChanged();
    }
    changed();
}

bool Window::isKeyWindow() const { return host_.keyWindow().get() == this; }

void Window::makeKeyAndVisible() {
    host_.setKeyWindow(this);
    if (hidden_) {
        hidden_ = false;
        rootVisibilityChanged();
    }
    changed();
}

void Window::resignKeyWindow() {
    if (isKeyWindow()) host_.setKeyWindow(nullptr);
    changed();
}

void Window::setShowsSnapshot(bool snapshot) {
    snapshot_ = snapshot;
    changed();
}

void Window::rootVisibilityChanged() {
    auto root = root_;
    if (!root) return;
    if (hidden_) {
        root->viewWillDisappear(false);
        root->viewDidDisappear(false);
    } else {
        root->viewWillAppear(false);
        root->viewDidAppear(false);
    }
}

void Window::changed() { host_.windowDidChange(*this); }

}  // namespace movra
