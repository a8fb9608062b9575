#include "movra/ClientSession.h"

#include "API/MVHTTPClient.h"
#include "App/MVAppDelegate.h"
#include "App/MVDiscriminator.h"
#include "App/MVDiscriminatorClient.h"
#include "Model/MVChannel.h"
#include "Model/MVCoreDataService.h"
#include "Model/MVItem.h"
#include "Platform/Platform.h"
#include "Platform/PlatformFactory.h"
#include "Utilities/SecurityManager.h"
#include "movra/Output.h"
#include "movra/SignalWatch.h"

namespace movra::cli {

ClientSession::ClientSession(const GlobalOptions& options) : options_(options) {}

ClientSession::~ClientSession() {
    if (!installed_) return;
    if (auto store = MVCoreDataService::registered()) store->invalidateStack();
    // Hits and playback-quality events that cannot be sent now stay queued in the data directory for the next run.
    Platform::current().analytics().flush(kAnalyticsFlushSeconds);
    Platform::current().playbackQuality().flush(kAnalyticsFlushSeconds);
    SignalWatch::wakeOnSignal(nullptr);
    Platform::uninstall();
}

ErrorPtr ClientSession::open(std::shared_ptr<UiHost> uiHost) {
    Configuration configuration;
    if (auto error = options_.makeConfiguration(configuration)) return error;
    if (!uiHost) uiHost = std::make_shared<UiHost>();
    Platform::install(makeSystemPlatform(configuration, std::move(uiHost), options_.consoleLevel()));
    SignalWatch::wakeOnSignal(&Platform::current().mainQueue());
    installed_ = true;
    return nullptr;
}

ErrorPtr ClientSession::checkRegion() {
    // The app's own region check, its screens drawn nowhere.
    auto app = MVAppDelegate::sharedAppDelegate();
    if (!app) {
        app = std::make_shared<MVAppDelegate>();
        MVAppDelegate::setSharedAppDelegate(app);
    }
    ErrorPtr error;
    bool done = false;
    app->setupDiscriminatorWithHost(std::nullopt, /*force=*/false, [&](ErrorPtr e) {
        error = e;
        done = true;
    });
    if (!wait([&] { return done; }, MVDiscriminatorClient().requestTimeoutInterval() + kAnswerTimeoutSeconds))
        error = makeError(kURLErrorDomain, kURLErrorTimedOut, "The region check did not answer");
    auto shared = MVDiscriminator::sharedDiscriminator();
    answer_ = shared ? shared->answer() : Json();
    return error;
}

std::optional<int> ClientSession::start(bool requireSignIn) {
    if (auto error = installed_ ? nullptr : open()) {
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

std::shared_ptr<MVItem> ClientSession::importTitle(const std::string& guid) {
    bool done = false;
    ErrorPtr failure;
    std::shared_ptr<MVChannel> channel;
    client()->getItemWithGuid(guid, /*ignoreCache=*/true, /*clearExistingItems=*/true,
                              [&](ErrorPtr error, std::shared_ptr<MVChannel> page, XMLDocumentPtr) {
                                  failure = error;
                                  channel = page;
                                  done = true;
                              });
    if (!wait([&] { return done; }) || !channel || channel->items().empty()) {
        printFailure(options_, "No title " + guid + (failure ? ": " + failure->summary() : std::string()), failure);
        return nullptr;
    }
    return channel->items().front();
}

ErrorPtr ClientSession::openStore() {
    // A region change has set the store up already, to clear it.
    auto store = MVCoreDataService::registered();
    if (!store) {
        store = std::make_shared<MVCoreDataService>(Platform::current().configuration().dataDirectory);
        MVCoreDataService::setRegistered(store);
    }
    return store->setupStack();
}

std::shared_ptr<MVHTTPClient> ClientSession::client() const { return MVHTTPClient::sharedClient(); }

bool ClientSession::wait(const std::function<bool()>& done, double timeoutSeconds) {
    // A signal ends every wait: the command returns and main() exits with 128 + its number.
    return SignalWatch::runUntil(Platform::current().mainQueue(), done, timeoutSeconds);
}

}  // namespace movra::cli
