#include "movra/DemoCommand.h"

#include "API/MVHTTPClient.h"
#include "App/MVAppDelegate.h"
#include "App/MVDiscriminator.h"
#include "Foundation/Strings.h"
#include "Model/MVChannel.h"
#include "Model/MVItem.h"
#include "Platform/Platform.h"
#include "Platform/PlatformFactory.h"
#include "Root/MVMenuViewController.h"
#include "Root/MVNavigationController.h"
#include "Root/MVStackViewController.h"
#include "Sections/Home/HorizontalScrollingShelvesTableViewController.h"
#include "Sections/SignIn/MVLoginViewController.h"
#include "Utilities/MVAccount.h"
#include "movra-backend/BackendServer.h"
#include "movra/Output.h"
#include "movra/PlaybackRun.h"
#include "movra/ScreenReport.h"
#include "movra/SignalWatch.h"
#include "movra/TextUiHost.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>

namespace movra::cli {

namespace {

/// A scratch directory removed when the demo ends, so each demo starts as a fresh installation.
class ScratchDirectory {
  public:
    ScratchDirectory() {
        std::string pattern = (std::filesystem::temp_directory_path() / "movra-demo-XXXXXX").string();
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~ScratchDirectory() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

/// An active demo subscriber whose home is the emulator's region, else any active one.
std::optional<backend::Account> demoSubscriber(const backend::BackendServer& server) {
    const auto accounts = backend::Account::demoAccounts();
    const auto countries = server.tenant().countryCodes();
    std::optional<backend::Account> anyActive;
    for (const auto& account : accounts) {
        if (account.accountState != backend::Account::kActiveState) continue;
        if (std::find(countries.begin(), countries.end(), account.country) != countries.end()) return account;
        if (!anyActive) anyActive = account;
    }
    return anyActive;
}

std::shared_ptr<MVLoginViewController> signInScreen(const WindowPtr& window) {
    auto navigation =
        window ? std::dynamic_pointer_cast<MVNavigationController>(window->rootViewController()) : nullptr;
    return navigation ? std::dynamic_pointer_cast<MVLoginViewController>(navigation->topViewController()) : nullptr;
}

/// Waits on the main queue for `done`; false when the step timed out.
bool waitFor(const std::function<bool()>& done, double timeoutSeconds) {
    return SignalWatch::runUntil(Platform::current().mainQueue(), done, timeoutSeconds);
}

/// The main screens as a subscriber walks them: the side menu's rows, the landing page it opens, the first
/// shelf's list and the first title's page.
bool showScreens(const std::shared_ptr<MVStackViewController>& stack, double timeoutSeconds) {
    auto menu = stack ? stack->mainMenu() : nullptr;
    auto contentTop = [&]() -> ViewControllerPtr {
        auto navigation =
            stack ? std::dynamic_pointer_cast<NavigationController>(stack->contentViewController()) : nullptr;
        return navigation ? navigation->topViewController() : nullptr;
    };
    if (!menu || !waitFor([&] { return !menu->menuItems().empty() && contentTop(); }, timeoutSeconds)) {
        std::cout << "The main menu did not load" << std::endl;
        return false;
    }
    std::cout << "Menu:";
    for (std::size_t row = 0; row < menu->numberOfRows(); ++row)
        std::cout << (row ? " | " : " ")
                  << (menu->selectedRow() == row ? "[" + menu->titleForRow(row) + "]" : menu->titleForRow(row));
    std::cout << std::endl;

    auto landing = std::dynamic_pointer_cast<HorizontalScrollingShelvesTableViewController>(contentTop());
    if (!landing || !waitForScreen(landing, /*allPages=*/false, timeoutSeconds)) {
        std::cout << "The home screen did not load" << std::endl;
        return false;
    }
    std::cout << screenText(landing);
    std::shared_ptr<MVItem> shelf;
    for (const auto& section : landing->sections())
        if (section.kind == HorizontalScrollingShelvesTableViewController::SectionKind::Shelves &&
            !section.items.empty())
            shelf = section.items.front();
    if (!shelf) {
        std::cout << "The home screen has no shelf to open" << std::endl;
        return false;
    }
    landing->navigateToCatalogItem(shelf, "Demo");
    auto list = std::dynamic_pointer_cast<MVBrowsingViewController>(contentTop());
    if (!list || list == landing || !waitForScreen(list, /*allPages=*/true, timeoutSeconds) || list->items().empty()) {
        std::cout << "The shelf's list did not load" << std::endl;
        return false;
    }
    std::cout << "Opened the shelf " << shelf->title().value_or("") << ": " << screenText(list);
    list->navigateToCatalogItem(list->items().front(), "Demo");
    auto title = contentTop();
    if (!title || title == list) {
        std::cout << "The title page did not open" << std::endl;
        return false;
    }
    std::cout << "Opened the first title: " << screenText(title);
    return true;
}

/// Plays the first seconds of a film of the sample catalogue, then lists what the client asked of the
/// session resource and the key server.
bool showPlayback(backend::BackendServer& server, double seconds, double timeoutSeconds) {
    bool done = false;
    ErrorPtr failure;
    std::shared_ptr<MVChannel> page;
    MVHTTPClient::sharedClient()->getItemWithGuid(
        DemoCommand::kDemoTitle, /*ignoreCache=*/true,
        /*clearExistingItems=*/true, [&](ErrorPtr error, std::shared_ptr<MVChannel> channel, XMLDocumentPtr) {
            failure = error;
            page = channel;
            done = true;
        });
    if (!waitFor([&] { return done; }, timeoutSeconds) || !page || page->items().empty()) {
        std::cout << "The title to play could not be loaded" << (failure ? ": " + failure->summary() : "") << std::endl;
        return false;
    }
    std::cout << "Playing " << seconds << " seconds without video or audio output" << std::endl;
    PlaybackRun playback;
    playback.forSeconds = seconds;
    const bool played = playback.run(page->items().front()) == 0;
    std::cout << "The session's requests:" << std::endl;
    for (const auto& entry : server.requestLog().entries()) {
        if (!startsWith(entry.path, "/stoffice/session/") && !startsWith(entry.path, "/stoffice/drm/fps/")) continue;
        std::string query;
        for (const auto& [key, value] : entry.query) query += (query.empty() ? "?" : "&") + key + "=" + value;
        std::cout << "  " << entry.method << " " << entry.path << query << std::endl;
    }
    return played;
}

}  // namespace

int DemoCommand::run(const GlobalOptions& options) const {
    ScratchDirectory scratch;
    const std::string root = options.dataDir.empty() ? scratch.path() : options.dataDir;
    if (root.empty()) {
        std::cerr << "movra: cannot create a scratch directory for the demo" << std::endl;
        return 1;
    }

    std::cout << "Movra demo" << std::endl;
    backend::BackendServer::Options serverOptions;
    serverOptions.dataDir = root + "/emulator";
    backend::BackendServer server(serverOptions);
    if (auto error = server.start()) {
        std::cerr << "movra: the service emulator did not start: " << *error << std::endl;
        return 1;
    }
    std::cout << "Service emulator listening on https://" << server.baseHost() << " (CA file " << server.caFile() << ")"
              << std::endl;

    Configuration configuration;
    GlobalOptions clientOptions = options;
    clientOptions.dataDir = root + "/client";
    if (auto error = clientOptions.makeConfiguration(configuration)) {
        std::cerr << "movra: " << error->localizedDescription << std::endl;
        return 2;
    }
    configuration.discriminatorHost = server.baseHost();
    configuration.caFile = server.caFile();
    configuration.drmCertificateFile = server.drmCertificateFile();
    // The demo plays in the terminal: no window, no sound.
    configuration.videoOutput = "none";
    configuration.audioOutput = "none";
    configuration.apiHostOverride.clear();
    configuration.analyticsCollectorUrl = "https://" + server.baseHost();
    configuration.playbackQualityCollectorUrl = "https://" + server.baseHost() + "/quality";

    auto ui = std::make_shared<TextUiHost>(std::cout);
    Platform::install(makeSystemPlatform(configuration, ui, options.consoleLevel()));
    SignalWatch::wakeOnSignal(&Platform::current().mainQueue());
    auto& platform = Platform::current();
    auto app = std::make_shared<MVAppDelegate>();
    MVAppDelegate::setSharedAppDelegate(app);

    std::cout << "Launching the client (region check at " << configuration.discriminatorHost << ")" << std::endl;
    app->applicationDidFinishLaunchingWithOptions(std::nullopt);
    app->applicationDidBecomeActive();

    // The launch ends at a route (the sign-in window or the main screens) or at a service-wide error.
    auto signInShown = [&] {
        auto w = app->loginWindow();
        return w && w->isKeyWindow() && w->alpha() >= 1;
    };
    auto mainShown = [&] {
        auto w = app->window();
        return w && w->isKeyWindow() && std::dynamic_pointer_cast<MVStackViewController>(w->rootViewController());
    };
    auto errorShown = [&] { return app->fullScreenErrorWindow() != nullptr; };
    const bool settled = SignalWatch::runUntil(
        platform.mainQueue(), [&] { return signInShown() || mainShown() || errorShown(); }, stepTimeoutSeconds);

    int status = 0;
    if (auto discriminator = MVDiscriminator::sharedDiscriminator()) {
        std::cout << "Region: " << MVDiscriminator::stringForCurrentTenant().value_or("unknown") << " (country "
                  << discriminator->countryCode().value_or("?") << "), API host " << discriminator->url() << std::endl;
    }
    if (!settled) {
        std::cout << "The client did not reach a screen within " << stepTimeoutSeconds << " seconds" << std::endl;
        status = 1;
    } else if (errorShown()) {
        status = 1;
    }
    std::cout << "Now showing: " << ui->scene() << std::endl;

    if (settled && signInShown()) {
        auto subscriber = demoSubscriber(server);
        auto screen = signInScreen(app->loginWindow());
        if (!subscriber || !screen) {
            std::cout << "No demo subscriber to sign in with" << std::endl;
            status = 1;
        } else {
            std::cout << "Signing in as the demo subscriber " << subscriber->userName << std::endl;
            screen->signIn(subscriber->userName, subscriber->password);
            const bool signedIn = SignalWatch::runUntil(
                platform.mainQueue(),
                [&] {
                    return screen->state() == MVLoginViewController::State::Failed ||
                           (mainShown() && !app->loginWindow());
                },
                stepTimeoutSeconds);
            if (!signedIn || screen->state() != MVLoginViewController::State::SignedIn) {
                std::cout << "Sign-in failed: " << (signedIn ? screen->failureMessage() : "no answer in time")
                          << std::endl;
                status = 1;
            } else {
                if (auto account = MVAccount::cachedAccount()) std::cout << accountText(*account) << std::endl;
                auto discriminator = MVDiscriminator::sharedDiscriminator();
                std::cout << "Home tenant: "
                          << MVDiscriminator::stringForRegionTenant(discriminator ? discriminator->homeTenant()
                                                                                  : MVRegionTenantNone)
                                 .value_or("unknown")
                          << ", current tenant: " << MVDiscriminator::stringForCurrentTenant().value_or("unknown")
                          << std::endl;
                std::cout << "Now showing: " << ui->scene() << std::endl;
                if (!showScreens(std::dynamic_pointer_cast<MVStackViewController>(app->window()->rootViewController()),
                                 stepTimeoutSeconds))
                    status = 1;
                if (!showPlayback(server, playSeconds, stepTimeoutSeconds)) status = 1;
            }
        }
    }

    const bool hitsSent = platform.analytics().flush(10);
    std::cout << "Analytics: " << server.collector().hits().size() << " hits collected by the emulator"
              << (hitsSent ? "" : " (some are still queued)") << std::endl;
    const bool qualitySent = platform.playbackQuality().flush(10);
    std::cout << "Playback quality: " << server.qualityCollector().sessions().size()
              << " sessions collected by the emulator" << (qualitySent ? "" : " (some events are still queued)")
              << std::endl;

    app->applicationWillResignActive();
    app->applicationWillTerminate();
    // Everything of the client goes before the platform it lives on.
    MVAppDelegate::setSharedAppDelegate(nullptr);
    app.reset();
    SignalWatch::wakeOnSignal(nullptr);
    Platform::uninstall();
    server.stop();
    return status;
}

}  // namespace movra::cli
