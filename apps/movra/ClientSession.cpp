#include "movra/ClientSession.h"

#include "API/MVHTTPClient.h"
#include "App/MVDiscriminator.h"
#include "App/MVDiscriminatorClient.h"
#include "Utilities/SecurityManager.h"
#include "Model/MVCoreDataService.h"
#include "Platform/Platform.h"
#include "Platform/PlatformFactory.h"
#include "movra/Output.h"

namespace movra::cli {

ClientSession::ClientSession(const GlobalOptions& options) : options_(options) {}

ClientSession::~ClientSession() {
    if (!installed_) return;
    if (auto store = MVCoreDataService::registered()) store->invalidateStack();
    // Hits that cannot be sent now stay queued in the data directory for the next run.
    Platform::current().analytics().flush(kAnalyticsFlushSeconds);
    Platform::uninstall();
}

ErrorPtr ClientSession::open(std::shared_ptr<UiHost> uiHost) {
    Configuration configuration;
    if (auto error = options_.makeConfiguration(configuration)) return error;
    if (!uiHost) uiHost = std::make_shared<UiHost>();
    Platform::install(makeSystemPlatform(configuration, std::move(uiHost), options_.consoleLevel()));
    installed_ = true;
    return nullptr;
}

ErrorPtr ClientSession::checkRegion() {
    auto& platform = Platform::current();
    ErrorPtr error;
    if (!platform.configuration().apiHostOverride.empty()) {
        answer_ = MVDiscriminator::answerForAPIHostOverride();
    } else {
        MVDiscriminatorClient discriminator;
        bool done = false;
        discriminator.getTenantDiscriminatorWithCompletion([&](ErrorPtr e, Json json) {
            error = e;
            answer_ = std::move(json);
            done = true;
        });
        if (!wait([&] { return done; }, discriminator.requestTimeoutInterval() + 5))
            error = makeError(kURLErrorDomain, kURLErrorTimedOut, "The region check did not answer");
    }
    std::optional<std::string> host;
    if (!error) {
        auto shared = MVDiscriminator::initSharedDiscriminatorWithJSON(answer_);
        if (shared->currentTenant() == MVRegionTenantNone)
            error = makeError(kMovraErrorDomain, kErrorUnexpectedAnswer, "The region check named no known tenant");
        else if (shared->url().empty())
            error = makeError(kMovraErrorDomain, kErrorUnexpectedAnswer, "The region check named no API host");
        else
            host = shared->url();
    }
    MVHTTPClient::initSharedClientWithHost(host);
    return error;
}

std::optional<int> ClientSession::start(bool requireSignIn) {
    if (auto error = open()) {
        printFailure(options_, error->localizedDescription, error);
        return 2;
    }
    if (requireSignIn && !SecurityManager::isUserAuthenticated()) {
        printFailure(options_, "Not signed in: use movra login USER");
        return 1;
    }
    if (auto error = checkRegion()) {
        printFailure(options_, "The region check failed: " + error->summary(), error);
        return 1;
    }
    return std::nullopt;
}

std::optional<int> ClientSession::startWithStore(bool requireSignIn) {
    if (auto failed = start(requireSignIn)) return failed;
    if (auto error = openStore()) {
        printFailure(options_, "The catalogue store cannot be opened: " + error->summary(), error);
        return 1;
    }
    return std::nullopt;
}

ErrorPtr ClientSession::openStore() {
    auto& platform = Platform::current();
    auto store = std::make_shared<MVCoreDataService>(platform.configuration().dataDirectory);
    if (auto error = store->setupStack()) return error;
    MVCoreDataService::setRegistered(store);
    return nullptr;
}

std::shared_ptr<MVHTTPClient> ClientSession::client() const { return MVHTTPClient::sharedClient(); }

bool ClientSession::wait(const std::function<bool()>& done, double timeoutSeconds) {
    return Platform::current().mainQueue().runUntil(done, timeoutSeconds);
}

}  // namespace movra::cli
