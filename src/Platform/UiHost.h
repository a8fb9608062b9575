// UiHost: the application's windows, presentation and animation, as seen by a person. The client
// calls it; front ends (terminal UI, text renderer) and the recording test double implement the hooks.
//
// Thread contract: main queue only.
#pragma once

#include "Platform/Window.h"

#include <functional>
#include <memory>
#include <vector>

namespace movra {

class UiHost {
  public:
    virtual ~UiHost() = default;

    /// A new window of the application.
    WindowPtr makeWindow(std::string name);
    /// Windows still alive, in creation order.
    std::vector<WindowPtr> windows() const;
    WindowPtr keyWindow() const { return keyWindow_.lock(); }

    /// Runs `animations` as an animation of `duration` seconds and calls `completion(finished)` when it
    /// ends, on the main queue (never synchronously).
    virtual void animate(double duration, std::function<void()> animations,
                         std::function<void(bool finished)> completion = nullptr);

    // Hooks for what a person sees.
    virtual void windowDidChange(const Window& /*window*/) {}
    virtual void windowWillClose(const Window& /*window*/) {}
    virtual void didPresent(const ViewController& /*presenter*/, const ViewController& /*presented*/) {}
    virtual void didDismiss(const ViewController& /*presented*/) {}
    virtual void didPush(const ViewController& /*navigation*/, const ViewController& /*pushed*/) {}
    /// What `screen` shows changed (its list, its loading state, its sections).
    virtual void contentDidChange(const ViewController& /*screen*/) {}

  private:
    friend class Window;
    void setKeyWindow(Window* window);
    void forget(Window* window);

    std::vector<std::weak_ptr<Window>> windows_;
    std::weak_ptr<Window> keyWindow_;
};

}  // namespace movra
