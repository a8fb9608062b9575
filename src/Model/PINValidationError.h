// PINValidationError: why a kids-mode PIN was refused before it was sent. The errors of the PIN check
// carry it as their code in the domain kPINValidationErrorDomain.
#pragma once

namespace movra {

inline constexpr const char* kPINValidationErrorDomain = "PINValidationError";

enum class PINValidationError : int {
    invalidLength = 0,      // not exactly 4 characters
    invalidCharacters = 1,  // a character that is not a decimal digit
};

}  // namespace movra
