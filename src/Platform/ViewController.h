// ViewController: the base of every headless screen. A screen holds state and makes decisions; what a
// person would see goes through UiHost (describe() says it in words for the text renderer).
//
// Thread contract: main queue only.
#pragma once

#include "Platform/ViewControllerTransitioningDelegate.h"

#include <functional>
#include <memory>
#include <string>

namespace movra {

class NavigationController;
class Window;

/// How a screen is presented modally.
enum class ModalPresentationStyle { FullScreen, Custom, Popover };

class ViewController : public std::enable_shared_from_this<ViewController> {
  public:
    virtual ~ViewController() = default;

    /// The screen's class name ("MVLoginViewController").
    virtual std::string className() const = 0;
    /// One line saying what a person sees on this screen.
    virtual std::string describe() const { return className(); }

    void loadViewIfNeeded();
    bool isViewLoaded() const { return viewLoaded_; }
    virtual void viewDidLoad() {}
    virtual void viewWillAppear(bool /*animated*/) {}
    virtual void viewDidAppear(bool /*animated*/) {}
    virtual void viewWillDisappear(bool /*animated*/) {}
    virtual void viewDidDisappear(bool /*animated*/) {}

    /// Presents `controller` modally over this screen; `completion` runs once it is shown.
    void presentViewController(std::shared_ptr<ViewController> controller, bool animated,
                               std::function<void()> completion = nullptr);
    /// Dismisses what this screen presented (or this screen, when it was presented).
    void dismissViewController(bool animated, std::function<void()> completion = nullptr);
    std::shared_ptr<ViewController> presentedViewController() const { return presented_; }
    std::shared_ptr<ViewController> presentingViewController() const { return presenting_.lock(); }

    ModalPresentationStyle modalPresentationStyle() const { return presentationStyle_; }
    void setModalPresentationStyle(ModalPresentationStyle style) { presentationStyle_ = style; }
    std::shared_ptr<ViewControllerTransitioningDelegate> transitioningDelegate() const { return transitioning_; }
    void setTransitioningDelegate(std::shared_ptr<ViewControllerTransitioningDelegate> delegate) {
        transitioning_ = std::move(delegate);
    }

    std::shared_ptr<NavigationController> navigationController() const { return navigation_.lock(); }
    /// The window that shows this screen (directly, inside a navigation controller, or presented).
    std::shared_ptr<Window> window() const;

  private:
    friend class NavigationController;
    friend class Window;
    bool viewLoaded_ = false;
    std::shared_ptr<ViewController> presented_;
    std::weak_ptr<ViewController> presenting_;
    std::weak_ptr<NavigationController> navigation_;
    std::weak_ptr<Window> window_;
    ModalPresentationStyle presentationStyle_ = ModalPresentationStyle::FullScreen;
    std::shared_ptr<ViewControllerTransitioningDelegate> transitioning_;
};

using ViewControllerPtr = std::shared_ptr<ViewController>;

}  // namespace movra
