#include "Platform/UiHost.h"

#include "Platform/Platform.h"

#include <algorithm>

namespace movra {

WindowPtr UiHost::makeWindow(std::string name) {
    auto window = std::make_shared<Window>(*this, std::move(name));
    windows_.push_back(window);
    return window;
}

std::vector<WindowPtr> UiHost::windows() const {
    std::vector<WindowPtr> out;
    for (const auto& w : windows_)
        if (auto s = w.lock()) out.push_back(s);
    return out;
}

void UiHost::animate(double duration, std::function<void()> animations, std::function<void(bool)> completion) {
    if (animations) animations();
    if (completion) {
        Platform::current().mainQueue().postAfter(duration, [completion = std::move(completion)] { completion(true); });
    }
}

void UiHost::setKeyWindow(Window* window) {
    if (!window) {
        keyWindow_.reset();
        return;
    }
    keyWindow_ = window->weak_from_this();
}

void UiHost::forget(Window* window) {
    std::erase_if(windows_, [window](const std::weak_ptr<Window>& w) {
        auto s = w.lock();
        return !s || s.get() == window;
    });
}

}  // namespace movra
