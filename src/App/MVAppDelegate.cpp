#include "App/MVAppDelegate.h"

#include "API/MVHTTPClient.h"
#include "App/MVAnalytics.h"
#include "App/MVDiscriminator.h"
#include "App/MVDiscriminatorClient.h"
#include "Cast/MVCastManager.h"
#include "Foundation/Localization.h"
#include "Foundation/Log.h"
#include "Foundation/MainQueue.h"
#include "Foundation/Strings.h"
#include "Model/MVCoreDataService.h"
#include "Model/MVSharedBookmarkCache.h"
#include "Model/MVSharedSearchCache.h"
#include "Model/ProfileManager.h"
#include "Platform/AlertController.h"
#include "Platform/Platform.h"
#include "Root/MVFullScreenErrorViewController.h"
#include "Root/MVFullScreenLoadingViewController.h"
#include "Root/MVGeoBlockViewController.h"
#include "Root/MVNavigationController.h"
#include "Root/MVStackViewController.h"
#include "Utilities/MVDiskImageCache.h"
#include "Utilities/MVTavikLocale.h"
#include "Utilities/SecurityManager.h"

namespace movra {

namespace {

constexpr const char* kLastUserLanguageKey = "MVTKLastUserLanguageKey";
constexpr const char* kCurrentInstallKey = "CurrentInstall";
constexpr const char* kLastSelectedSubtitleKey = "MVLastSelectedSubtitleKey";
constexpr const char* kGenericErrorMessage = "A problem has occured and the service may be temporarily unavailable.";

/// Holds the application's delegate on the platform.
struct SharedAppDelegate {
    std::shared_ptr<MVAppDelegate> delegate;
};

bool isPresent(const std::optional<std::string>& value) { return value && !value->empty(); }

/// The screen alerts are presented on: whatever is presented last over the window's root.
ViewControllerPtr topController(const WindowPtr& window) {
    if (!window) return nullptr;
    auto top = window->rootViewController();
    while (top && top->presentedViewController()) top = top->presentedViewController();
    return top;
}

}  // namespace

MVAppDelegate::MVAppDelegate() = default;
MVAppDelegate::~MVAppDelegate() = default;

std::shared_ptr<MVAppDelegate> MVAppDelegate::sharedAppDelegate() {
    auto holder = Platform::current().object<SharedAppDelegate>();
    return holder ? holder->delegate : nullptr;
}

void MVAppDelegate::setSharedAppDelegate(std::shared_ptr<MVAppDelegate> delegate) {
    auto holder = std::make_shared<SharedAppDelegate>();
    holder->delegate = std::move(delegate);
    Platform::current().setObject(holder);
}

std::string MVAppDelegate::preferredLanguageString() { return MVTavikLocale::mvtk_preferredLanguageString(); }

// ---- launch ----

bool MVAppDelegate::applicationDidFinishLaunchingWithOptions(const std::optional<std::string>& launchURL) {
    MOVRA_ASSERT_MAIN_QUEUE();
    auto& platform = Platform::current();
    ProfileManager::setLaunchProfile(ProfileManager::activeProfile());
    // The loggers (console and log file) are installed by the platform, which knows the data directory.
    Log::info("Launching Movra {}", platform.device().appShortVersion());
    resumeWatchingClosed_ = false;
    platform.crashReporter().start(kCrashReporterAPIKey);
    setupAnalytics();
    setupCacheAndForceClear(false);
    setupNotifications();
    checkForCurrentInstall();
    checkAndMigrateSavedSubtitle();
    setupFullScreenLoadingView();
    handleLaunchURL(launchURL);
    return true;
}

void MVAppDelegate::setupNotifications() {
    auto& center = Platform::current().notificationCenter();
    std::weak_ptr<MVAppDelegate> weak = weak_from_this();
    observers_.clear();
    observers_.emplace_back(center, center.addObserver(MVNotificationLogOut, [weak](const Notification& n) {
        if (auto self = weak.lock()) self->handleLogoutWithError(n);
    }));
    observers_.emplace_back(center,
                            center.addObserver(MVNotificationAuthenticationRequired, [weak](const Notification&) {
                                if (auto self = weak.lock()) self->showAuthenticationView();
                            }));
    observers_.emplace_back(
        center, center.addObserver(ProfileManager::ActiveProfileChangedNotification, [weak](const Notification&) {
            if (auto self = weak.lock()) self->handleActiveProfileChanged();
        }));
}

void MVAppDelegate::setupAnalytics() {
    auto& platform = Platform::current();
    platform.playbackQuality().start(kPlaybackQualityCustomerKey);
    platform.analytics().configure(platform.configuration().analyticsTrackingId, /*dispatchIntervalSeconds=*/20.0,
                                   /*trackUncaughtExceptions=*/true);
}

void MVAppDelegate::setupCacheAndForceClear(bool force) {
    auto& platform = Platform::current();
    auto& defaults = platform.defaults();
    const auto language = MVTavikLocale::system_preferredLanguageString();
    if (force || defaults.stringForKey(kLastUserLanguageKey) != language) {
        // Before the first set-up no service is registered yet: it is made here and cleared all the same. The
        // deletions are queued on the store's writer, so every later save of this store lands after them.
        auto store = MVCoreDataService::registered();
        if (!store) {
            store = std::make_shared<MVCoreDataService>(platform.configuration().dataDirectory);
            MVCoreDataService::setRegistered(store);
        }
        store->deleteAllDataWithCompletion(nullptr);
        store->deleteRootMenuChannel();
    }
    defaults.setObject(kLastUserLanguageKey, language);
    defaults.synchronize();
    setupCoreDataStack();
    if (platform.device().idiom() != UserInterfaceIdiom::Pad) allowLandscape_ = false;
    // There is no shared URL cache to reset: the transport keeps no cached responses.
    platform.setObject(std::make_shared<MVDiskImageCache>(/*subFolderPath=*/"catalog_images"));
    searchCache_ = std::make_shared<MVSharedSearchCache>();
}

void MVAppDelegate::setupCoreDataStack() {
    auto store = MVCoreDataService::registered();
    if (!store) {
        store = std::make_shared<MVCoreDataService>(Platform::current().configuration().dataDirectory);
        MVCoreDataService::setRegistered(store);
    }
    // Screens find the store closed and show no catalogue; the error is in the log.
    store->setupStack();
}

void MVAppDelegate::restartCoreDataStack() {
    if (auto store = MVCoreDataService::registered())
        store->restartStack();
    else
        setupCoreDataStack();
}

void MVAppDelegate::loginAnswered(MVLoginViewController&) { restartCoreDataStack(); }

void MVAppDelegate::setupFullScreenLoadingView() {
    window_ = Platform::current().uiHost().makeWindow("main");
    window_->setRootViewController(std::make_shared<MVFullScreenLoadingViewController>());
    window_->makeKeyAndVisible();
    window_->setAlpha(1);
    window_->setTransform(1);
}

void MVAppDelegate::checkForCurrentInstall() {
    auto& platform = Platform::current();
    auto& defaults = platform.defaults();
    auto value = defaults.object(kCurrentInstallKey);
    if (value && !isEmpty(*value)) return;
    // The keychain outlives an uninstall: a reinstall must sign in afresh.
    platform.credentials().deletePassword(SecurityManager::kPasswordServiceName,
                                          SecurityManager::kDeviceTokenAccountName);
    defaults.setObject(kCurrentInstallKey, "YES");
    defaults.synchronize();
}

void MVAppDelegate::checkAndMigrateSavedSubtitle() {
    auto& defaults = Platform::current().defaults();
    auto saved = defaults.stringForKey(kLastSelectedSubtitleKey);
    if (saved && !saved->empty() && !endsWith(*saved, "_mvtk"))
        defaults.setObject(kLastSelectedSubtitleKey, languageCodeForLanguageName(*saved));
    defaults.synchronize();
}

std::string MVAppDelegate::languageCodeForLanguageName(const std::string& name) {
    if (name == "Suomi") return "fi_mvtk";
    if (name == "Norsk") return "nb_mvtk";
    if (name == "Svenska") return "sv_mvtk";
    if (name == "Dansk") return "da_mvtk";
    return "";
}

void MVAppDelegate::handleLaunchURL(const std::optional<std::string>&) {
    setupDiscriminatorForceHandleInitialRoute(true);
}

bool MVAppDelegate::applicationOpenURL(const std::string& url, const std::optional<std::string>&) {
    handleLaunchURL(url);
    return true;
}

// ---- region check and routing ----

void MVAppDelegate::setupDiscriminatorForceHandleInitialRoute(bool force) {
    setupDiscriminatorWithHost(std::nullopt, force);
}

void MVAppDelegate::setupDiscriminatorWithHost(const std::optional<std::string>& host, bool force,
                                               RegionCheckCompletion completion) {
    MOVRA_ASSERT_MAIN_QUEUE();
    auto routeNeeded = std::make_shared<bool>(force);
    std::weak_ptr<MVAppDelegate> weak = weak_from_this();
    if (!Platform::current().configuration().apiHostOverride.empty()) {
        // The QA endpoint override answers in place of the discriminator.
        Platform::current().mainQueue().post(
            [weak, routeNeeded, force, completion, answer = MVDiscriminator::answerForAPIHostOverride()] {
                if (auto self = weak.lock())
                    self->handleDiscriminatorAnswer(routeNeeded, force, nullptr, answer, completion);
            });
        return;
    }
    auto client = host ? std::make_shared<MVDiscriminatorClient>(*host) : std::make_shared<MVDiscriminatorClient>();
    discriminatorClients_.push_back(client);
    std::weak_ptr<MVDiscriminatorClient> weakClient = client;
    client->getTenantDiscriminatorWithCompletion(
        [weak, weakClient, routeNeeded, force, completion](ErrorPtr error, Json json) {
            auto self = weak.lock();
            if (!self) return;
            // The client has answered; release it once this turn of the loop is over.
            Platform::current().mainQueue().post([weak, weakClient] {
                auto me = weak.lock();
                auto done = weakClient.lock();
                if (me && done) std::erase(me->discriminatorClients_, done);
            });
            self->handleDiscriminatorAnswer(routeNeeded, force, error, json, completion);
        });
}

void MVAppDelegate::handleDiscriminatorAnswer(const std::shared_ptr<bool>& routeNeeded, bool force, ErrorPtr error,
                                              const Json& json, RegionCheckCompletion completion) {
    auto done = [completion](ErrorPtr result) {
        if (completion) completion(result);
    };
    if (error) {
        Log::warning("Region check failed: {}", error->summary());
        showFullScreenErrorForCode(error->code);
        MVHTTPClient::initSharedClientWithHost(std::nullopt);
        if (*routeNeeded) handleInitialRoute();
        return done(error);
    }
    auto discriminator = MVDiscriminator::initSharedDiscriminatorWithJSON(json);
    if (discriminator->currentTenant() == MVRegionTenantNone) {
        showNoTenantAlert(force);
        return done(makeError(kMovraErrorDomain, kErrorUnexpectedAnswer, "The region check named no known tenant"));
    }
    if (discriminator->currentTenantChanged()) {
        *routeNeeded = true;
        setupCacheAndForceClear(true);
        MVTrackSessionStartEvent("SignIn", "SignIn_RegionChange", MVDiscriminator::analyticsStringForCurrentTenant(),
                                 0);
    }
    MVHTTPClient::initSharedClientWithHost(discriminator->url());
    std::weak_ptr<MVAppDelegate> weak = weak_from_this();
    if (SecurityManager::isUserAuthenticated()) {
        discriminator->setupHomeTenantWithSuccess(
            [weak, routeNeeded, done] {
                auto self = weak.lock();
                if (self && *routeNeeded) self->handleInitialRoute();
                done(nullptr);
            },
            [weak, routeNeeded, done](ErrorPtr failure) {
                auto self = weak.lock();
                if (!self) return done(failure);
                // Only a service-wide failure stops the app; any other leaves the home tenant unknown.
                if (failure && (failure->code == kErrorMaintenance || failure->code == kErrorGeoBlocked)) {
                    self->showFullScreenErrorForCode(failure->code);
                    return done(failure);
                }
                if (*routeNeeded) self->handleInitialRoute();
                done(nullptr);
            });
        return;
    }
    if (*routeNeeded) handleInitialRoute();
    done(nullptr);
}

void MVAppDelegate::showNoTenantAlert(bool force) {
    std::weak_ptr<MVAppDelegate> weak = weak_from_this();
    presentAlert(window_, MVLocalizedString("Error"), MVLocalizedString(kGenericErrorMessage), [weak, force] {
        // Retried 2 seconds later, for as long as the user keeps pressing OK; the loop keeps running meanwhile.
        Platform::current().mainQueue().postAfter(2.0, [weak, force] {
            if (auto self = weak.lock()) self->setupDiscriminatorForceHandleInitialRoute(force);
        });
    });
}

void MVAppDelegate::presentAlert(const WindowPtr& window, const std::string& title, const std::string& message,
                                 std::function<void()> onOK) {
    auto alert = std::make_shared<AlertController>(title, message);
    alert->addAction({MVLocalizedString("OK"), AlertController::ActionStyle::Default, std::move(onOK)});
    if (auto presenter = topController(window)) {
        presenter->presentViewController(alert, true);
    } else {
        Log::error("No screen to show the alert \"{}\" on", message);
    }
}

WindowPtr MVAppDelegate::makeLoginWindow() {
    auto loginWindow = Platform::current().uiHost().makeWindow("sign-in");
    auto login = std::make_shared<MVLoginViewController>();
    login->setDelegate(std::static_pointer_cast<MVLoginViewControllerDelegate>(shared_from_this()));
    auto navigation = std::make_shared<MVNavigationController>();
    navigation->setNavigationBarHidden(true);
    navigation->setRootViewController(login);
    loginWindow->setRootViewController(navigation);
    return loginWindow;
}

void MVAppDelegate::handleInitialRoute() {
    MOVRA_ASSERT_MAIN_QUEUE();
    auto& platform = Platform::current();
    auto& keychain = platform.credentials();
    const auto token =
        keychain.password(SecurityManager::kPasswordServiceName, SecurityManager::kDeviceTokenAccountName);
    const auto user = keychain.password(SecurityManager::kPasswordServiceName, SecurityManager::kUserNameAccountName);
    if (isPresent(token) && isPresent(user)) {
        setInitialWindow();
        if (auto stack = std::dynamic_pointer_cast<MVStackViewController>(window_->rootViewController()))
            stack->closeLeftPanel(false);
    } else {
        loginWindow_ = makeLoginWindow();
        auto& ui = platform.uiHost();
        if (window_) {
            if (auto loading =
                    std::dynamic_pointer_cast<MVFullScreenLoadingViewController>(window_->rootViewController()))
                ui.animate(0.2, [loading] { loading->setActivityIndicatorAlpha(0); });
        }
        auto loginWindow = loginWindow_;
        loginWindow->setAlpha(0);
        ui.animate(0.5, [loginWindow] { loginWindow->setAlpha(1); });
        loginWindow->makeKeyAndVisible();
        loginWindow->setWindowLevel(kWindowLevelNormal + 0.1);
    }
    castManager_ = std::make_shared<MVCastManager>();
    if (castIdentifier_) castManager_->setCastApplicationId(*castIdentifier_);
    castManager_->startScanning();
}

void MVAppDelegate::setInitialWindow() {
    auto& platform = Platform::current();
    if (!window_) window_ = platform.uiHost().makeWindow("main");
    auto window = window_;
    auto stack = std::make_shared<MVStackViewController>();
    platform.uiHost().animate(
        0.5,
        [window, stack] {
            window->setRootViewController(stack);
            window->makeKeyAndVisible();
            window->setAlpha(1);
            window->setTransform(1);
        },
        [](bool) { Platform::current().notificationCenter().post(MVNotificationLogIn); });
}

void MVAppDelegate::loginComplete(MVLoginViewController&) {
    if (loginWindow_) loginWindow_->resignKeyWindow();
    if (!window_ || std::dynamic_pointer_cast<MVFullScreenLoadingViewController>(window_->rootViewController()))
        setInitialWindow();
    auto window = window_;
    auto loginWindow = loginWindow_;
    window->setTransform(0.7);
    window->setAlpha(0);
    window->makeKeyAndVisible();
    std::weak_ptr<MVAppDelegate> weak = weak_from_this();
    Platform::current().uiHost().animate(
        0.5,
        [window, loginWindow] {
            if (loginWindow) {
                loginWindow->setTransform(1.3);
                loginWindow->setAlpha(0);
            }
            window->setTransform(1);
            window->setAlpha(1);
        },
        [weak, loginWindow](bool) {
            auto self = weak.lock();
            // A sign-out that started meanwhile owns the sign-in window now.
            if (self && !self->loggingOut_ && self->loginWindow_ == loginWindow) self->loginWindow_.reset();
        });
}

// ---- sign-out and authentication ----

void MVAppDelegate::handleLogoutWithError(const Notification& notification) {
    if (auto code = notification.numberValue("error")) showFullScreenErrorForCode(*code);
    showLoginView();
}

void MVAppDelegate::showLoginView() {
    loggingOut_ = true;
    resumeWatchingClosed_ = false;
    std::weak_ptr<MVAppDelegate> weak = weak_from_this();
    auto continuation = [weak] {
        auto self = weak.lock();
        if (!self) return;
        auto& platform = Platform::current();
        if (auto client = MVHTTPClient::sharedClient()) client->logoutWithCompletion(nullptr);
        MVSharedBookmarkCache::sharedCache()->resetCache();
        self->searchCache_ = std::make_shared<MVSharedSearchCache>();
        platform.credentials().deletePassword(SecurityManager::kPasswordServiceName,
                                              SecurityManager::kDeviceTokenAccountName);
        platform.mainQueue().post([weak] {
            auto me = weak.lock();
            if (!me) return;
            auto loginWindow = me->makeLoginWindow();
            me->loginWindow_ = loginWindow;
            auto window = me->window_;
            loginWindow->setAlpha(0);
            loginWindow->setWindowLevel((window ? window->windowLevel() : kWindowLevelNormal) + 1);
            loginWindow->setTransform(1.3);
            loginWindow->makeKeyAndVisible();
            if (window) {
                window->setShowsSnapshot(true);
                window->setRootViewController(nullptr);
            }
            Platform::current().uiHost().animate(
                0.6,
                [window, loginWindow] {
                    if (window) window->setTransform(0.7);
                    loginWindow->setTransform(1);
                    loginWindow->setAlpha(1);
                },
                [weak, loginWindow](bool) {
                    auto owner = weak.lock();
                    if (!owner) return;
                    loginWindow->setWindowLevel(kWindowLevelNormal);
                    owner->window_.reset();
                    owner->loggingOut_ = false;
                });
        });
    };
    if (auto client = MVHTTPClient::sharedClient())
        client->cancelTasksWithCompletion(continuation);
    else
        Platform::current().mainQueue().post(continuation);
}

void MVAppDelegate::showAuthenticationView() {
    if (loginWindow_) return;
    auto& platform = Platform::current();
    platform.credentials().deletePassword(SecurityManager::kPasswordServiceName,
                                          SecurityManager::kDeviceTokenAccountName);
    auto loginWindow = makeLoginWindow();
    loginWindow_ = loginWindow;
    auto window = window_;
    if (window) window->resignKeyWindow();
    loginWindow->setTransform(1.3);
    loginWindow->setAlpha(0);
    loginWindow->makeKeyAndVisible();
    presentAlert(loginWindow, MVLocalizedString("Error"),
                 MVLocalizedString("Your subscription could not be authenticated for playback. Please sign in again."));
    platform.uiHost().animate(
        0.5,
        [window, loginWindow] {
            loginWindow->setTransform(1);
            loginWindow->setAlpha(1);
            if (window) window->setTransform(0.7);
        },
        [window](bool) {
            if (window) window->setAlpha(0);
        });
}

void MVAppDelegate::handleActiveProfileChanged() {
    if (searchCache_) searchCache_->clear();
}

// ---- service-wide errors ----

void MVAppDelegate::showFullScreenErrorForCode(long long code) {
    if (fullScreenErrorWindow_) return;
    auto& ui = Platform::current().uiHost();
    if (code != kErrorMaintenance && code != kErrorGeoBlocked) {
        presentAlert(loginWindow_ && loginWindow_->isKeyWindow() ? loginWindow_ : window_, MVLocalizedString("Error"),
                     MVLocalizedString(kGenericErrorMessage));
        return;
    }
    fullScreenErrorWindow_ = ui.makeWindow("error");
    fullScreenErrorWindow_->setWindowLevel(kWindowLevelAlert + 1);
    if (code == kErrorMaintenance)
        fullScreenErrorWindow_->setRootViewController(std::make_shared<MVFullScreenErrorViewController>());
    else
        fullScreenErrorWindow_->setRootViewController(std::make_shared<MVGeoBlockViewController>());
    if (window_) window_->resignKeyWindow();
    fullScreenErrorWindow_->setAlpha(1);
    fullScreenErrorWindow_->makeKeyAndVisible();
}

void MVAppDelegate::hideFullScreenErrorMessage() {
    auto errorWindow = fullScreenErrorWindow_;
    if (!errorWindow) return;
    const auto slide = slideOverTransform();
    std::weak_ptr<MVAppDelegate> weak = weak_from_this();
    Platform::current().uiHost().animate(
        0.5, [errorWindow, slide] { errorWindow->setTransform(1, slide.x, slide.y); },
        [weak, errorWindow](bool) {
            errorWindow->setHidden(true);
            auto self = weak.lock();
            if (self && self->fullScreenErrorWindow_ == errorWindow) self->fullScreenErrorWindow_.reset();
        });
}

void MVAppDelegate::checkErrorStatus() {
    if (loggingOut_) return;
    auto client = MVHTTPClient::sharedClient();
    if (!client) return;
    std::weak_ptr<MVAppDelegate> weak = weak_from_this();
    client->checkErrorStatusWithCompletion([weak](ErrorPtr error, XMLDocumentPtr response) {
        auto self = weak.lock();
        if (!self) return;
        if (!error && response) {
            self->hideFullScreenErrorMessage();
        } else if (!(error && error->code == kURLErrorCancelled)) {
            self->showFullScreenErrorForCode(error ? error->code : 0);
        }
    });
}

MVAppDelegate::Translation MVAppDelegate::slideOverTransform() const {
    // Portrait screens slide the error away downwards by the screen's height.
    const bool pad = Platform::current().device().idiom() == UserInterfaceIdiom::Pad;
    return {0, pad ? 1024.0 : 667.0};
}

// ---- lifecycle ----

void MVAppDelegate::applicationWillResignActive() {
    if (castManager_) castManager_->stopScanning();
}

void MVAppDelegate::applicationWillEnterForeground() {
    ProfileManager::setLaunchProfile(ProfileManager::activeProfile());
    setupDiscriminatorForceHandleInitialRoute(false);
}

void MVAppDelegate::applicationDidBecomeActive() {
    checkErrorStatus();
    if (castManager_) castManager_->startScanning();
}

void MVAppDelegate::applicationWillTerminate() {
    if (auto store = MVCoreDataService::registered()) store->invalidateStack();
}

unsigned MVAppDelegate::applicationSupportedInterfaceOrientationsForWindow(const Window*) const {
    if (Platform::current().device().idiom() == UserInterfaceIdiom::Pad) return InterfaceOrientationMaskAll;
    return allowLandscape_ ? InterfaceOrientationMaskAllButUpsideDown : InterfaceOrientationMaskPortrait;
}

}  // namespace movra
