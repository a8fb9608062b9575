#include "Model/KidsModeConfiguration.h"

#include "Foundation/Localization.h"
#include "Model/PINValidationError.h"

namespace movra {

bool KidsModeConfiguration::validatePIN(const std::string& pin, ErrorPtr* error) {
    auto refuse = [error](PINValidationError kind, const char* message) {
        if (error) *error = makeError(kPINValidationErrorDomain, static_cast<int>(kind), MVLocalizedString(message));
        return false;
    };
    // Characters, not bytes: "12é4" has the right length and a wrong character.
    std::size_t characters = 0;
    for (unsigned char byte : pin)
        if ((byte & 0xC0) != 0x80) ++characters;
    if (characters != 4) return refuse(PINValidationError::invalidLength, "The PIN must have exactly 4 digits.");
    // Only ASCII digits: the back end keeps the PIN as four of them.
    for (char c : pin)
        if (c < '0' || c > '9')
            return refuse(PINValidationError::invalidCharacters, "The PIN may only contain the digits 0 to 9.");
    return true;
}

Json KidsModeConfiguration::settingsDictionary() const {
    Json settings = Json::object();
    if (kidsModeIgnore_) settings["kidsModeIgnore"] = *kidsModeIgnore_ ? "true" : "false";
    if (kidsModePIN_) settings["kidsModePIN"] = *kidsModePIN_;
    return settings;
}

}  // namespace movra
