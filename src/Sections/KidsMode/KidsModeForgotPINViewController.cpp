#include "Sections/KidsMode/KidsModeForgotPINViewController.h"

#include "API/MVHTTPClient.h"
#include "App/MVAnalytics.h"
#include "Foundation/Localization.h"
#include "Sections/SignIn/MVForgotPasswordViewController.h"

namespace movra {

std::string KidsModeForgotPINViewController::describe() const {
    return MVLocalizedString("Forgot PIN") + ": " +
           MVLocalizedString(
               "Enter your account password to exit the Family section. Your PIN will be reset. You will be given "
               "the opportunity to create a new PIN the next time you exit the Family Section.") +
           " [" + MVLocalizedString("Password") + "] [" + MVLocalizedString("Submit") + "] [" +
           MVLocalizedString("Forgot Password?") + "]" + (isShowingActivityIndicator() ? " (checking…)" : "");
}

void KidsModeForgotPINViewController::submit(const std::string& password) {
    if (isShowingActivityIndicator()) return;
    auto client = MVHTTPClient::sharedClient();
    if (!client) return showErrorAlert(nullptr);
    setShowingActivityIndicator(true);
    auto weak = std::weak_ptr<KidsModeForgotPINViewController>(
        std::static_pointer_cast<KidsModeForgotPINViewController>(shared_from_this()));
    client->loginLastSubscriberWithPassword(password, [weak](ErrorPtr error, XMLDocumentPtr) {
        if (auto self = weak.lock()) self->passwordChecked(error);
    });
}

void KidsModeForgotPINViewController::passwordChecked(const ErrorPtr& error) {
    if (error) {
        setShowingActivityIndicator(false);
        return showErrorAlert(error);
    }
    // An empty PIN is what removes it; the set-up stays on, so the primer is offered again.
    sendConfiguration(KidsModeConfiguration(false, std::string()));
}

void KidsModeForgotPINViewController::handleSetConfiguration() {
    MVTrackEvent("Family", "Family_ExitWithPassword", std::nullopt, 0);
    reportSuccess();
}

void KidsModeForgotPINViewController::forgotPassword() {
    if (isShowingActivityIndicator()) return;
    auto client = MVHTTPClient::sharedClient();
    const auto userName = client ? client->userName() : std::nullopt;
    presentViewController(std::make_shared<MVForgotPasswordViewController>(userName.value_or("")), true);
}

}  // namespace movra
