#include "movra/AccountCommand.h"

#include "API/MVHTTPClient.h"
#include "App/MVDiscriminator.h"
#include "Utilities/MVAccount.h"
#include "Utilities/SecurityManager.h"
#include "movra/ClientSession.h"
#include "movra/Output.h"

namespace movra::cli {

int AccountCommand::run(const GlobalOptions& options) const {
    ClientSession session(options);
    if (auto failed = session.start(/*requireSignIn=*/true)) return *failed;
    bool done = false;
    ErrorPtr failure;
    std::shared_ptr<MVAccount> account;
    session.client()->getAccountWithCompletion([&](ErrorPtr error, std::shared_ptr<MVAccount> answer) {
        failure = error;
        account = answer;
        done = true;
    });
    if (!session.wait([&] { return done; })) {
        printFailure(options, "The account did not arrive in time");
        return 1;
    }
    if (failure || !account) {
        const bool signedOut = !SecurityManager::isUserAuthenticated();
        printFailure(options,
                     signedOut
                         ? kSignInNoLongerValid
                         : "The account could not be read" + (failure ? ": " + failure->summary() : std::string()),
                     failure);
        return 1;
    }
    const auto homeTenant =
        MVDiscriminator::stringForRegionTenant(MVDiscriminator::regionTenantForString(account->country()));
    const auto userName = session.client()->userName();
    Json json = {{"userName", userName ? Json(*userName) : Json(nullptr)},
                 {"account", accountObject(*account)},
                 {"homeTenant", homeTenant ? Json(*homeTenant) : Json(nullptr)}};
    printResult(options, json,
                "Signed in as " + userName.value_or("?") + "\n" + accountText(*account) +
                    "\nHome tenant: " + homeTenant.value_or("unknown"));
    return 0;
}

}  // namespace movra::cli
