#include "Sections/KidsMode/KidsModeViewController.h"

#include "Foundation/Log.h"
#include "Model/PINValidationError.h"
#include "Model/ProfileManager.h"
#include "Sections/KidsMode/PINConfigurationErrorAlert.h"

namespace movra {

KidsModeViewController::KidsModeViewController(std::shared_ptr<const ProfileTheme> theme,
                                               std::weak_ptr<KidsModeFinishedDelegate> finishedDelegate)
    : theme_(std::move(theme)), finishedDelegate_(std::move(finishedDelegate)) {}

void KidsModeViewController::cancel() {
    if (showingActivityIndicator_) return;
    if (auto delegate = finishedDelegate_.lock()) delegate->didCancelWithViewController(*this);
}

void KidsModeViewController::reportSuccess() {
    if (auto delegate = finishedDelegate_.lock()) delegate->didSucceedWithViewController(*this);
}

void KidsModeViewController::showErrorAlert(const ErrorPtr& error) {
    presentViewController(alertControllerWithPINConfigurationError(error, nullptr), true);
}

void KidsModeViewController::sendConfiguration(const KidsModeConfiguration& configuration) {
    setShowingActivityIndicator(true);
    auto weak =
        std::weak_ptr<KidsModeViewController>(std::static_pointer_cast<KidsModeViewController>(shared_from_this()));
    ErrorPtr refused;
    const bool sent = ProfileManager::setKidsModeConfiguration(configuration, &refused, [weak](ErrorPtr error, auto) {
        if (auto self = weak.lock()) self->configurationSent(error);
    });
    if (sent) return;
    setShowingActivityIndicator(false);
    if (refused && refused->domain == kPINValidationErrorDomain) {
        Log::error("PIN validation error: {}", refused->localizedDescription);
        return handleConfigurationNotSet();
    }
    configurationFailed(refused);
}

void KidsModeViewController::configurationSent(const ErrorPtr& error) {
    setShowingActivityIndicator(false);
    if (error) return configurationFailed(error);
    handleSetConfiguration();
}

void KidsModeViewController::configurationFailed(const ErrorPtr& error) {
    showErrorAlert(error);
    handleConfigurationNotSet();
}

}  // namespace movra
