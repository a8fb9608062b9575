#include "Sections/KidsMode/NumberPadView.h"

namespace movra {

void NumberPadView::tapDigit(char digit) {
    if (digit >= '0' && digit <= '9') delegate_.numberPadDidTapDigit(digit);
}

}  // namespace movra
