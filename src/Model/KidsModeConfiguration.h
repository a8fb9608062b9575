// KidsModeConfiguration: the kids-mode set-up the back end keeps in the subscriber's settings: the PIN
// that guards leaving the kids profile and the switch that turns the set-up off.
//
// Thread contract: a value; any thread.
#pragma once

#include "Foundation/Error.h"
#include "Foundation/Json.h"

#include <optional>
#include <string>

namespace movra {

class KidsModeConfiguration {
  public:
    /// initWithKidsModeIgnore:kidsModePIN:
    KidsModeConfiguration(std::optional<bool> kidsModeIgnore, std::optional<std::string> kidsModePIN)
        : kidsModeIgnore_(kidsModeIgnore), kidsModePIN_(std::move(kidsModePIN)) {}

    /// Exactly four characters, each a digit 0-9. False with an error of kPINValidationErrorDomain whose
    /// code is the PINValidationError.
    static bool validatePIN(const std::string& pin, ErrorPtr* error);

    const std::optional<bool>& kidsModeIgnore() const { return kidsModeIgnore_; }
    /// Four digits, or "" for none.
    const std::optional<std::string>& kidsModePIN() const { return kidsModePIN_; }
    /// The settings to write: "kidsModeIgnore" ("true"/"false") and "kidsModePIN", each only when set.
    Json settingsDictionary() const;

  private:
    std::optional<bool> kidsModeIgnore_;
    std::optional<std::string> kidsModePIN_;
};

}  // namespace movra
