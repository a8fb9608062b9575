// NumberPadView: the keys of the PIN entry, the digits 0 to 9 and a delete key. It passes each tap on to the
// view it belongs to.
//
// Thread contract: main queue only.
#pragma once

namespace movra {

class NumberPadViewDelegate {
  public:
    virtual ~NumberPadViewDelegate() = default;
    virtual void numberPadDidTapDigit(char /*digit*/) {}
    virtual void numberPadDidTapDelete() {}
};

class NumberPadView {
  public:
    /// `delegate` owns the pad and outlives it.
    explicit NumberPadView(NumberPadViewDelegate& delegate) : delegate_(delegate) {}
    NumberPadView(const NumberPadView&) = delete;
    NumberPadView& operator=(const NumberPadView&) = delete;

    /// A tap on the key of `digit`; the pad has keys for 0 to 9 only.
    void tapDigit(char digit);
    void tapDelete() { delegate_.numberPadDidTapDelete(); }

  private:
    NumberPadViewDelegate& delegate_;
};

}  // namespace movra
