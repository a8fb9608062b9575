// MVAppDelegate: the spine of the app. Runs the launch sequence, keeps the three top-level windows (main,
// sign-in, full-screen error), routes between sign-in and the main screens, reacts to sign-out and to
// service-wide failures, and re-checks the region tenant whenever the app returns to the foreground.
//
// Thread contract: main queue only. Callbacks hold the delegate weakly.
#pragma once

#include "Foundation/Error.h"
#include "Foundation/Json.h"
#include "Foundation/NotificationCenter.h"
#include "Platform/Window.h"
#include "Sections/SignIn/MVLoginViewController.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace movra {

class MVCastManager;
class MVDiscriminatorClient;
class MVSharedSearchCache;

/// Orientations a window may take.
enum InterfaceOrientationMask : unsigned {
    InterfaceOrientationMaskPortrait = 1 << 1,
    InterfaceOrientationMaskPortraitUpsideDown = 1 << 2,
    InterfaceOrientationMaskLandscapeRight = 1 << 3,
    InterfaceOrientationMaskLandscapeLeft = 1 << 4,
    InterfaceOrientationMaskLandscape = InterfaceOrientationMaskLandscapeLeft | InterfaceOrientationMaskLandscapeRight,
    InterfaceOrientationMaskAll = InterfaceOrientationMaskPortrait | InterfaceOrientationMaskPortraitUpsideDown |
                                  InterfaceOrientationMaskLandscape,
    InterfaceOrientationMaskAllButUpsideDown = InterfaceOrientationMaskPortrait | InterfaceOrientationMaskLandscape,
};

class MVAppDelegate : public MVLoginViewControllerDelegate, public std::enable_shared_from_this<MVAppDelegate> {
  public:
    static constexpr const char* kCrashReporterAPIKey = "7c1e9a40d25b8f36e0a4c7d19b2f5e83";
    static constexpr const char* kPlaybackQualityCustomerKey = "3e8b05d7c9a14f6e2b70d98c5a1f4e6b3c2d9a07";

    MVAppDelegate();
    ~MVAppDelegate() override;

    /// The application's delegate (registered on the platform), or nullptr.
    static std::shared_ptr<MVAppDelegate> sharedAppDelegate();
    /// Makes `delegate` the application's delegate.
    static void setSharedAppDelegate(std::shared_ptr<MVAppDelegate> delegate);
    static std::string preferredLanguageString();

    // Application events.
    bool applicationDidFinishLaunchingWithOptions(const std::optional<std::string>& launchURL);
    void applicationWillResignActive();
    void applicationDidEnterBackground() {}
    void applicationWillEnterForeground();
    void applicationDidBecomeActive();
    void applicationWillTerminate();
    bool applicationOpenURL(const std::string& url, const std::optional<std::string>& sourceApplication);
    unsigned applicationSupportedInterfaceOrientationsForWindow(const Window* window) const;

    // Launch steps.
    void setupNotifications();
    void setupAnalytics();
    void setupCacheAndForceClear(bool force);
    void setupCoreDataStack();
    void restartCoreDataStack();
    void setupFullScreenLoadingView();
    void checkForCurrentInstall();
    void checkAndMigrateSavedSubtitle();
    static std::string languageCodeForLanguageName(const std::string& name);
    void handleLaunchURL(const std::optional<std::string>& url);

    // Region check and routing.
    void setupDiscriminatorForceHandleInitialRoute(bool force);
    /// Why a region check failed (no tenant known, the request failed, or the service is down or refuses the
    /// region), or nullptr once its answer was taken: discriminator shared, caches cleared on a tenant change,
    /// the API client made for the host, the home tenant read when signed in.
    using RegionCheckCompletion = std::function<void(ErrorPtr error)>;
    void setupDiscriminatorWithHost(const std::optional<std::string>& host, bool force,
                                    RegionCheckCompletion completion = nullptr);
    void handleInitialRoute();
    void setInitialWindow();
    void loginComplete(MVLoginViewController& controller) override;
    void loginAnswered(MVLoginViewController& controller) override;

    // Sign-out and authentication.
    void handleLogoutWithError(const Notification& notification);
    void showLoginView();
    void showAuthenticationView();
    void handleActiveProfileChanged();

    // Service-wide errors.
    void showFullScreenErrorForCode(long long code);
    void hideFullScreenErrorMessage();
    void checkErrorStatus();
    struct Translation {
        double x = 0, y = 0;
    };
    /// The translation that slides the error window off screen for the current orientation.
    Translation slideOverTransform() const;

    // Properties.
    WindowPtr window() const { return window_; }
    WindowPtr loginWindow() const { return loginWindow_; }
    WindowPtr fullScreenErrorWindow() const { return fullScreenErrorWindow_; }
    const std::optional<std::string>& lastRecentlyWatchedItemGuid() const { return lastRecentlyWatchedItemGuid_; }
    void setLastRecentlyWatchedItemGuid(std::optional<std::string> guid) {
        lastRecentlyWatchedItemGuid_ = std::move(guid);
    }
    bool resumeWatchingClosed() const { return resumeWatchingClosed_; }
    void setResumeWatchingClosed(bool closed) { resumeWatchingClosed_ = closed; }
    std::shared_ptr<MVSharedSearchCache> searchCache() const { return searchCache_; }
    bool allowLandscape() const { return allowLandscape_; }
    void setAllowLandscape(bool allow) { allowLandscape_ = allow; }
    std::shared_ptr<MVCastManager> castManager() const { return castManager_; }
    const std::optional<std::string>& castIdentifier() const { return castIdentifier_; }
    void setCastIdentifier(std::optional<std::string> id) { castIdentifier_ = std::move(id); }
    bool loggingOut() const { return loggingOut_; }

  private:
    WindowPtr makeLoginWindow();
    void showNoTenantAlert(bool force);
    void presentAlert(const WindowPtr& window, const std::string& title, const std::string& message,
                      std::function<void()> onOK = nullptr);
    void handleDiscriminatorAnswer(const std::shared_ptr<bool>& routeNeeded, bool force, ErrorPtr error,
                                   const Json& json, RegionCheckCompletion completion);

    WindowPtr window_, loginWindow_, fullScreenErrorWindow_;
    std::optional<std::string> lastRecentlyWatchedItemGuid_;
    bool resumeWatchingClosed_ = false;
    std::shared_ptr<MVSharedSearchCache> searchCache_;
    bool allowLandscape_ = true;
    std::shared_ptr<MVCastManager> castManager_;
    std::optional<std::string> castIdentifier_;
    bool loggingOut_ = false;
    std::vector<std::shared_ptr<MVDiscriminatorClient>> discriminatorClients_;
    std::vector<ScopedObserver> observers_;
};

}  // namespace movra
