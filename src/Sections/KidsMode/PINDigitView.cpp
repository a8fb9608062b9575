#include "Sections/KidsMode/PINDigitView.h"

namespace movra {

const char* PINDigitView::symbol() const {
    if (showingError_) return "✕";
    return filled_ ? "●" : "○";
}

}  // namespace movra
