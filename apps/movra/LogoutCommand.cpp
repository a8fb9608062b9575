#include "movra/LogoutCommand.h"

#include "API/MVHTTPClient.h"
#include "Model/MVSharedBookmarkCache.h"
#include "Platform/Platform.h"
#include "Utilities/SecurityManager.h"
#include "movra/ClientSession.h"
#include "movra/Output.h"

namespace movra::cli {

int LogoutCommand::run(const GlobalOptions& options) const {
    ClientSession session(options);
    if (auto error = session.open()) {
        printFailure(options, error->localizedDescription, error);
        return 2;
    }
    // Signing out locally must not depend on the service: without an answer the last host is used.
    const ErrorPtr regionError = session.checkRegion();
    auto client = session.client();
    auto& platform = Platform::current();
    const auto userName = client->userName();
    const bool wasSignedIn = SecurityManager::isUserAuthenticated();

    platform.notificationCenter().post(MVNotificationLogOut);
    MVSharedBookmarkCache::sharedCache()->resetCache();
    SecurityManager::logOutUser();

    bool done = false;
    ErrorPtr serviceError = regionError;
    if (!regionError) {
        client->logoutWithCompletion([&](ErrorPtr error, XMLDocumentPtr) {
            serviceError = error;
            done = true;
        });
        if (!session.wait([&] { return done; })) serviceError = makeError(kURLErrorDomain, kURLErrorTimedOut);
    }
    Json json = {{"signedOut", true},
                 {"wasSignedIn", wasSignedIn},
                 {"userName", userName ? Json(*userName) : Json(nullptr)},
                 {"deviceId", client->deviceId()},
                 {"serviceError", errorObject(serviceError)}};
    std::string text = wasSignedIn ? "Signed out" + (userName ? " " + *userName : std::string()) : "Not signed in";
    text += "\nDevice identifier kept: " + client->deviceId();
    if (serviceError) text += "\nThe service was not told: " + serviceError->summary();
    printResult(options, json, text);
    return 0;
}

}  // namespace movra::cli
