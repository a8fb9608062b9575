#include "Sections/SignIn/MVLoginViewController.h"

#include "API/MVHTTPClient.h"
#include "App/MVAnalytics.h"
#include "App/MVDiscriminator.h"
#include "Foundation/Localization.h"
#include "Foundation/Log.h"
#include "Foundation/MainQueue.h"
#include "Model/ProfileManager.h"
#include "Platform/AlertController.h"
#include "Platform/Platform.h"
#include "Utilities/MTLXMLAdapter.h"
#include "Utilities/MVErrorResponse.h"

namespace movra {

std::string MVLoginViewController::describe() const {
    switch (state_) {
        case State::SigningIn:
            return "Sign in: signing in…";
        case State::SignedIn:
            return "Sign in: signed in";
        default:
            return "Sign in: user name, password, [Sign in], [Forgot password?]";
    }
}

std::string MVLoginViewController::alertMessageForError(const ErrorPtr& error, const XMLDocumentPtr& document) {
    if (error && error->domain == kHTTPClientErrorDomain) return error->localizedDescription;
    if (!Platform::current().reachability().isReachable())
        return MVLocalizedString("Sorry, No network connection is available at the moment.");
    if (document) {
        ErrorPtr mappingError;
        auto response = MTLXMLAdapter::modelOfClass<MVErrorResponse>(document->documentNode(), &mappingError);
        if (response && !mappingError && response->userMessage() && !response->userMessage()->empty())
            return *response->userMessage();
    }
    return MVLocalizedString("A problem has occured and the service may be temporarily unavailable.");
}

void MVLoginViewController::signIn(const std::string& userName, const std::string& password) {
    MOVRA_ASSERT_MAIN_QUEUE();
    if (state_ == State::SigningIn) return;
    auto client = MVHTTPClient::sharedClient();
    if (!client) return fail(nullptr, nullptr);
    state_ = State::SigningIn;
    Platform::current().defaults().removeObject(ProfileManager::kHasFinishedProfileSelectionKey);
    auto weak =
        std::weak_ptr<MVLoginViewController>(std::static_pointer_cast<MVLoginViewController>(shared_from_this()));
    client->loginSubscriberWithUserName(userName, password, [weak](ErrorPtr error, XMLDocumentPtr document) {
        auto self = weak.lock();
        if (!self) return;
        if (auto delegate = self->delegate()) delegate->loginAnswered(*self);
        if (error)
            self->fail(error, document);
        else
            self->signedIn();
    });
}

void MVLoginViewController::signedIn() {
    auto& platform = Platform::current();
    platform.notificationCenter().post(MVNotificationLogIn);
    ProfileManager::setActiveProfile(ProfileTypeNone);
    ProfileManager::setLaunchProfile(ProfileTypeNone);
    auto discriminator = MVDiscriminator::sharedDiscriminator();
    if (!discriminator) return finish();
    auto weak =
        std::weak_ptr<MVLoginViewController>(std::static_pointer_cast<MVLoginViewController>(shared_from_this()));
    // A failed home-tenant set-up does not undo the sign-in.
    discriminator->setupHomeTenantWithSuccess(
        [weak] {
            if (auto self = weak.lock()) self->finish();
        },
        [weak](ErrorPtr error) {
            if (error) Log::warning("Home tenant not set up: {}", error->summary());
            if (auto self = weak.lock()) self->finish();
        });
}

void MVLoginViewController::finish() {
    state_ = State::SignedIn;
    MVTrackSessionStartEvent("SignIn", "SignIn_Success", std::nullopt, 0);
    if (auto delegate = this->delegate()) delegate->loginComplete(*this);
}

void MVLoginViewController::fail(const ErrorPtr& error, const XMLDocumentPtr& document) {
    state_ = State::Failed;
    failureMessage_ = alertMessageForError(error, document);
    MVTrackEvent("SignIn", "SignIn_Failure", std::nullopt, 0);
    auto alert = std::make_shared<AlertController>(MVLocalizedString("Error"), failureMessage_);
    alert->addAction({MVLocalizedString("OK"), AlertController::ActionStyle::Default, nullptr});
    presentViewController(alert, true);
}

}  // namespace movra
