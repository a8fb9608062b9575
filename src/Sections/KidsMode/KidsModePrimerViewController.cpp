#include "Sections/KidsMode/KidsModePrimerViewController.h"

#include "App/MVAnalytics.h"
#include "Foundation/Localization.h"
#include "Sections/KidsMode/KidsModeSetPINViewController.h"

namespace movra {

std::string KidsModePrimerViewController::describe() const {
    return MVLocalizedString(
               "Set a 4-digit PIN for the Family section to let your kids enjoy family friendly content while "
               "keeping all other Movra content hidden.") +
           " [" + MVLocalizedString("Set PIN") + "] [" + MVLocalizedString("Maybe Later") + "] [" +
           MVLocalizedString("Don't Ask Again") + "] " +
           MVLocalizedString("If you want to manage your PIN, go to your account settings on the website.") +
           (isShowingActivityIndicator() ? " (saving…)" : "");
}

void KidsModePrimerViewController::setPIN() {
    if (isShowingActivityIndicator()) return;
    auto self = std::static_pointer_cast<KidsModePrimerViewController>(shared_from_this());
    presentViewController(std::make_shared<KidsModeSetPINViewController>(theme(), self), true);
}

void KidsModePrimerViewController::maybeLater() {
    if (isShowingActivityIndicator()) return;
    MVTrackEvent("Family", "Family_PINMaybeLater", std::nullopt, 0);
    cancel();
}

void KidsModePrimerViewController::dontAskAgain() {
    if (isShowingActivityIndicator()) return;
    MVTrackEvent("Family", "Family_PINDoNotAskAgain", std::nullopt, 0);
    sendConfiguration(KidsModeConfiguration(true, std::nullopt));
}

void KidsModePrimerViewController::didSucceedWithViewController(ViewController& /*setPIN*/) {
    dismissViewController(true);
    reportSuccess();
}

void KidsModePrimerViewController::didCancelWithViewController(ViewController& /*setPIN*/) {
    dismissViewController(true);
}

}  // namespace movra
