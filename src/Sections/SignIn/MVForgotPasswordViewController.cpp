#include "Sections/SignIn/MVForgotPasswordViewController.h"

#include "API/MVHTTPClient.h"
#include "App/MVAnalytics.h"
#include "Foundation/Localization.h"
#include "Platform/AlertController.h"
#include "Sections/SignIn/MVLoginViewController.h"
#include "Utilities/MVErrorResponse.h"

namespace movra {

std::string MVForgotPasswordViewController::describe() const {
    switch (state_) {
        case State::Sending:
            return "Forgot password: sending…";
        case State::Sent:
            return "Forgot password: sent for " + userName_;
        case State::Idle:
            break;
    }
    return "Forgot password: e-mail " + userName_ + ", [" + MVLocalizedString("Submit") + "]";
}

void MVForgotPasswordViewController::submit() {
    auto client = MVHTTPClient::sharedClient();
    if (state_ == State::Sending || !client) return;
    state_ = State::Sending;
    MVTrackEvent("SignIn", "SignIn_ForgotPassword_Submission", std::nullopt, 0);
    auto weak = std::weak_ptr<MVForgotPasswordViewController>(
        std::static_pointer_cast<MVForgotPasswordViewController>(shared_from_this()));
    client->forgotPasswordForUserName(userName_, [weak](ErrorPtr error, XMLDocumentPtr document,
                                                        std::shared_ptr<const MVErrorResponse> errorResponse) {
        auto self = weak.lock();
        if (!self) return;
        if (!error) {
            self->state_ = State::Sent;
            return;
        }
        self->state_ = State::Idle;
        const bool told = errorResponse && !errorResponse->userMessage().value_or("").empty();
        auto alert = std::make_shared<AlertController>(
            MVLocalizedString("Error"),
            told ? *errorResponse->userMessage() : MVLoginViewController::alertMessageForError(error, document));
        alert->addAction({MVLocalizedString("OK"), AlertController::ActionStyle::Default, nullptr});
        self->presentViewController(alert, true);
    });
}

}  // namespace movra
