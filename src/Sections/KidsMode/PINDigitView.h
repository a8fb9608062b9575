// PINDigitView: one box of the PIN entry. It shows whether its digit has been typed, never the digit, and
// turns to the error look while a refused PIN is being cleared.
//
// Thread contract: main queue only.
#pragma once

namespace movra {

class PINDigitView {
  public:
    bool isFilled() const { return filled_; }
    void setFilled(bool filled) { filled_ = filled; }
    bool isShowingError() const { return showingError_; }
    void setShowingError(bool showing) { showingError_ = showing; }

    /// "●", "○", or "✕" in the error look, for the text renderer.
    const char* symbol() const;

  private:
    bool filled_ = false;
    bool showingError_ = false;
};

}  // namespace movra
