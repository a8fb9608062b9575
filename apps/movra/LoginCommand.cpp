#include "movra/LoginCommand.h"

#include "App/MVAppDelegate.h"
#include "App/MVDiscriminator.h"
#include "Sections/SignIn/MVLoginViewController.h"
#include "Utilities/MVAccount.h"
#include "movra/ClientSession.h"
#include "movra/Output.h"
#include "movra/SecretInput.h"

namespace movra::cli {

int LoginCommand::run(const GlobalOptions& options) const {
    std::string problem;
    auto password = SecretInput{"password", "--password-stdin", "MOVRA_PASSWORD"}.read(
        passwordFromStdin, "Password for " + userName + ": ", problem);
    if (!password) {
        printFailure(options, problem);
        return 2;
    }
    ClientSession session(options);
    if (auto failed = session.start(/*requireSignIn=*/false)) return *failed;
    // The sign-in screen restarts the catalogue store through the application's delegate.
    auto app = std::make_shared<MVAppDelegate>();
    MVAppDelegate::setSharedAppDelegate(app);
    auto screen = std::make_shared<MVLoginViewController>();
    screen->loadViewIfNeeded();
    screen->signIn(userName, *password);
    const bool answered = session.wait([&] { return screen->state() != MVLoginViewController::State::SigningIn; });
    MVAppDelegate::setSharedAppDelegate(nullptr);

    if (!answered) {
        printFailure(options, "The sign-in did not finish in time");
        return 1;
    }
    if (screen->state() != MVLoginViewController::State::SignedIn) {
        printFailure(options, screen->failureMessage());
        return 1;
    }
    auto account = MVAccount::cachedAccount();
    auto discriminator = MVDiscriminator::sharedDiscriminator();
    const auto homeTenant =
        MVDiscriminator::stringForRegionTenant(discriminator ? discriminator->homeTenant() : MVRegionTenantNone);
    Json json = {{"signedIn", true},
                 {"userName", userName},
                 {"account", account ? accountObject(*account) : Json(nullptr)},
                 {"homeTenant", homeTenant ? Json(*homeTenant) : Json(nullptr)}};
    std::string text = "Signed in as " + userName + "\n";
    if (account) text += accountText(*account) + "\n";
    text += "Home tenant: " + homeTenant.value_or("unknown");
    printResult(options, json, text);
    return 0;
}

}  // namespace movra::cli
