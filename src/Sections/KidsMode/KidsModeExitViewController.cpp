#include "Sections/KidsMode/KidsModeExitViewController.h"

#include "App/MVAnalytics.h"
#include "Foundation/Localization.h"
#include "Model/ProfileManager.h"
#include "Sections/KidsMode/KidsModeForgotPINViewController.h"

namespace movra {

std::string KidsModeExitViewController::describe() const {
    std::string text =
        MVLocalizedString("Exit Family") + ": " + pinView_.boxes() + " [" + MVLocalizedString("Forgot PIN?") + "]";
    if (isShowingActivityIndicator()) text += " (checking…)";
    // A refused PIN is the only reason this screen clears its boxes with animation.
    if (pinView_.isClearing()) text += " (wrong PIN)";
    return text;
}

void KidsModeExitViewController::forgotPIN() {
    if (isShowingActivityIndicator()) return;
    auto self = std::static_pointer_cast<KidsModeExitViewController>(shared_from_this());
    presentViewController(std::make_shared<KidsModeForgotPINViewController>(theme(), self), true);
}

void KidsModeExitViewController::pinFilledWithText(const std::string& text) {
    if (isShowingActivityIndicator()) return;
    setShowingActivityIndicator(true);
    auto weak = std::weak_ptr<KidsModeExitViewController>(
        std::static_pointer_cast<KidsModeExitViewController>(shared_from_this()));
    ProfileManager::getKidsModeConfiguration(
        [weak, text](std::optional<KidsModeConfiguration> configuration, ErrorPtr error) {
            if (auto self = weak.lock()) self->checkPIN(text, configuration, error);
        });
}

void KidsModeExitViewController::checkPIN(const std::string& entered,
                                          const std::optional<KidsModeConfiguration>& configuration,
                                          const ErrorPtr& error) {
    setShowingActivityIndicator(false);
    if (!configuration) {
        // Typing the PIN again tries again.
        pinView_.clearWithAnimated(false);
        return showErrorAlert(error);
    }
    const std::string stored = configuration->kidsModePIN().value_or("");
    if (stored.empty()) return leaveKidsProfile();
    if (entered == stored) {
        MVTrackEvent("Family", "Family_ExitWithPIN", std::nullopt, 0);
        return leaveKidsProfile();
    }
    ++wrongAttempts_;
    pinView_.clearWithAnimated(true);
}

void KidsModeExitViewController::didSucceedWithViewController(ViewController& /*forgotPIN*/) {
    dismissViewController(true);
    leaveKidsProfile();
}

void KidsModeExitViewController::didCancelWithViewController(ViewController& /*forgotPIN*/) {
    dismissViewController(true);
}

void KidsModeExitViewController::leaveKidsProfile() {
    ProfileManager::setActiveProfile(ProfileTypeAdult);
    exitSucceeded();
}

}  // namespace movra
