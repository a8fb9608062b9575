#include "Sections/Series/ScrollingSeasonsViewController.h"

namespace movra {

std::string ScrollingSeasonsViewController::describe() const {
    auto source = source_.lock();
    if (!source) return className();
    std::string tabs;
    for (std::size_t i = 0; i < source->numberOfTabs(); ++i)
        tabs += (i ? " | " : "") + std::string(i == currentPage_ ? "[" : "") + source->titleForTabAtIndex(i) +
                (i == currentPage_ ? "]" : "");
    return className() + " " + tabs;
}

void ScrollingSeasonsViewController::viewDidLoad() {
    ViewController::viewDidLoad();
    setCurrentPage(currentPage_);
}

void ScrollingSeasonsViewController::setCurrentPage(std::size_t index) {
    auto source = source_.lock();
    if (!source || index >= source->numberOfTabs()) return;
    currentPage_ = index;
    current_ = source->childViewControllerForSeason(index);
    if (current_) current_->loadViewIfNeeded();
}

}  // namespace movra
