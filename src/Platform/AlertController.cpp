#include "Platform/AlertController.h"

namespace movra {

std::string AlertController::describe() const {
    std::string s = "Alert \"" + title_ + "\": " + message_;
    for (const auto& a : actions_) s += " [" + a.title + "]";
    return s;
}

bool AlertController::tapButton(std::size_t index) {
    if (index >= actions_.size()) return false;
    auto handler = actions_[index].handler;
    auto keep = shared_from_this();
    dismissViewController(true);
    if (handler) handler();
    return true;
}

bool AlertController::tapButton(const std::string& title) {
    for (std::size_t i = 0; i < actions_.size(); ++i)
        if (actions_[i].title == title) return tapButton(i);
    return false;
}

}  // namespace movra
