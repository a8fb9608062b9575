// PINView: the PIN entry: a row of maxPINLength digit boxes that a number pad fills and its delete key
// empties. When the last box fills, the delegate gets the digits. Clearing with animation shows the boxes in
// the error look for a moment and ignores the keys meanwhile, so that nothing typed is lost to the clearing.
//
// Thread contract: main queue only.
#pragma once

#include "Sections/KidsMode/NumberPadView.h"
#include "Sections/KidsMode/PINDigitView.h"

#include <array>
#include <cstddef>
#include <memory>
#include <string>

namespace movra {

class PINViewDelegate {
  public:
    virtual ~PINViewDelegate() = default;
    /// Every box is filled; `text` is the digits.
    virtual void pinFilledWithText(const std::string& /*text*/) {}
};

class PINView : public NumberPadViewDelegate {
  public:
    static constexpr std::size_t maxPINLength = 4;
    /// How long the boxes show the error look when cleared with animation.
    static constexpr double kClearAnimationDuration = 0.4;

    /// `delegate` owns the view and outlives it.
    explicit PINView(PINViewDelegate& delegate) : delegate_(delegate), numberPad_(*this) {}
    PINView(const PINView&) = delete;
    PINView& operator=(const PINView&) = delete;

    const std::string& text() const { return text_; }
    NumberPadView& numberPad() { return numberPad_; }
    /// The animated clearing is under way; keys do nothing.
    bool isClearing() const { return clearing_ != nullptr; }

    /// Appends a typed character while the text is shorter than maxPINLength. The pad types digits only; a
    /// keyboard may type anything, which the PIN check refuses.
    void appendCharacter(char character);
    /// Removes the last digit.
    void popCharacter();
    void clearWithAnimated(bool animated);
    /// The boxes as the text renderer draws them ("●●○○").
    std::string boxes() const;

    void numberPadDidTapDigit(char digit) override { appendCharacter(digit); }
    void numberPadDidTapDelete() override { popCharacter(); }

  private:
    /// Fills the boxes up to the text's length.
    void showText();

    PINViewDelegate& delegate_;
    NumberPadView numberPad_;
    std::array<PINDigitView, maxPINLength> digitViews_;
    std::string text_;
    /// Alive while an animated clearing runs; its end checks that it is still the current one.
    std::shared_ptr<char> clearing_;
};

}  // namespace movra
