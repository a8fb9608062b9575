#include "movra/TextUiHost.h"

#include "Platform/Window.h"

#include <algorithm>

namespace movra::cli {

namespace {

/// What a window shows: its root screen and whatever is presented over it, topmost last.
std::string describeWindow(const Window& window) {
    auto root = window.rootViewController();
    if (!root) return window.showsSnapshot() ? "(fading out)" : "(empty)";
    std::string text = root->describe();
    for (auto shown = root->presentedViewController(); shown; shown = shown->presentedViewController())
        text += " | " + shown->describe();
    return text;
}

}  // namespace

std::string TextUiHost::scene() const {
    // The topmost visible window is what the person looks at.
    auto all = windows();
    std::stable_sort(all.begin(), all.end(),
                     [](const WindowPtr& a, const WindowPtr& b) { return a->windowLevel() > b->windowLevel(); });
    for (const auto& w : all) {
        if (w->isHidden()) continue;
        if (w->alpha() <= 0 && !w->isKeyWindow()) continue;
        return "[" + w->name() + " window] " + describeWindow(*w);
    }
    return {};
}

void TextUiHost::refresh() {
    auto now = scene();
    if (now.empty() || now == last_) return;
    last_ = now;
    out_ << now << std::endl;
}

void TextUiHost::windowDidChange(const Window&) { refresh(); }
void TextUiHost::didPresent(const ViewController&, const ViewController&) { refresh(); }
void TextUiHost::didDismiss(const ViewController&) { refresh(); }
void TextUiHost::didPush(const ViewController&, const ViewController&) { refresh(); }

}  // namespace movra::cli
