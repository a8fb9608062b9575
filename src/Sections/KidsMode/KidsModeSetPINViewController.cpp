#include "Sections/KidsMode/KidsModeSetPINViewController.h"

#include "App/MVAnalytics.h"
#include "Foundation/Localization.h"

namespace movra {

std::string KidsModeSetPINViewController::describe() const {
    return MVLocalizedString("Set 4-digit PIN") + ": " + pinView_.boxes() +
           (isShowingActivityIndicator() ? " (saving…)" : "");
}

void KidsModeSetPINViewController::pinFilledWithText(const std::string& text) {
    if (isShowingActivityIndicator()) return;
    sendConfiguration(KidsModeConfiguration(false, text));
}

void KidsModeSetPINViewController::handleSetConfiguration() {
    MVTrackEvent("Family", "Family_SetPIN", std::nullopt, 0);
    reportSuccess();
}

}  // namespace movra
