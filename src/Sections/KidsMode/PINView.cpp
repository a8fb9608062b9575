#include "Sections/KidsMode/PINView.h"

#include "Platform/Platform.h"

namespace movra {

void PINView::appendCharacter(char character) {
    if (isClearing() || text_.size() >= maxPINLength) return;
    text_ += character;
    showText();
    if (text_.size() == maxPINLength) delegate_.pinFilledWithText(text_);
}

void PINView::popCharacter() {
    if (isClearing() || text_.empty()) return;
    text_.pop_back();
    showText();
}

void PINView::clearWithAnimated(bool animated) {
    text_.clear();
    clearing_.reset();
    if (!animated) return showText();
    auto clearing = std::make_shared<char>();
    clearing_ = clearing;
    for (auto& box : digitViews_) box.setShowingError(true);
    // `clearing` dies with the view or with a newer clearing: an outdated end touches nothing.
    Platform::current().uiHost().animate(kClearAnimationDuration, nullptr,
                                         [this, weak = std::weak_ptr<char>(clearing)](bool) {
                                             if (weak.expired()) return;
                                             clearing_.reset();
                                             showText();
                                         });
}

std::string PINView::boxes() const {
    std::string drawn;
    for (const auto& box : digitViews_) drawn += box.symbol();
    return drawn;
}

void PINView::showText() {
    for (std::size_t i = 0; i < digitViews_.size(); ++i) {
        digitViews_[i].setFilled(i < text_.size());
        digitViews_[i].setShowingError(false);
    }
}

}  // namespace movra
