// MVStackViewController: the main window's container after sign-in: the side menu beside one navigation
// stack of content. It runs the initial load of the root menu behind a full-screen loading screen, retries it
// every 10 seconds and when the network returns, and once the first list has loaded walks through the
// start-up dialogs (kids-mode exit after a catalogue change, tenant-change notice, profile selection).
//
// Thread contract: main queue only. Timers, observers and completions hold the container weakly.
#pragma once

#include "Foundation/NotificationCenter.h"
#include "Foundation/Timer.h"
#include "Platform/NavigationController.h"
#include "Platform/ViewController.h"
#include "Root/CatalogChangeKidsModeExitViewController.h"
#include "Root/CatalogChangeViewController.h"
#include "Sections/KidsMode/ProfileSelectionViewController.h"
#include "Sections/SignIn/MVLoginViewController.h"

#include <memory>
#include <vector>

namespace movra {

class MVFullScreenLoadingViewController;
class MVMenuViewController;

/// Posted once a full-screen dialog over the main screens has gone.
inline constexpr const char* MVTKFullScreenModalDismissed = "MVTKFullScreenModalDismissed";

class MVStackViewController : public ViewController,
                              public ProfileSelectionViewControllerDelegate,
                              public CatalogChangeKidsModeExitViewControllerDelegate,
                              public CatalogChangeViewControllerDelegate,
                              public MVLoginViewControllerDelegate {
  public:
    /// Defaults key (boolean): the kids-mode exit dialog must still be completed.
    static constexpr const char* kShouldShowPasswordToExitModalKey = "MVTKShouldShowPasswordToExitModalKey";
    static constexpr double kInitialLoadRetryInterval = 10;
    /// How long the loading screen takes to fade once the first list has loaded.
    static constexpr double kLoadingScreenFadeDuration = 0.3;

    MVStackViewController();
    ~MVStackViewController() override;

    std::string className() const override { return "MVStackViewController"; }
    std::string describe() const override;

    // State.
    const std::shared_ptr<MVMenuViewController>& mainMenu() const { return mainMenu_; }
    /// The loading screen laid over everything until the first list has loaded; nullptr afterwards.
    const std::shared_ptr<MVFullScreenLoadingViewController>& initialLoadController() const {
        return initialLoadController_;
    }
    const TimerPtr& initialLoadRetryTimer() const { return initialLoadRetryTimer_; }
    /// The last reachability status seen (ReachabilityStatus); -1 until one is.
    int previousReachabilityStatus() const { return previousReachabilityStatus_; }
    bool isDisplayingFullScreenModal() const { return displayingFullScreenModal_; }
    const std::shared_ptr<ViewControllerTransitioningDelegate>& popupSimpleTransitioningDelegate() const {
        return popupTransitioningDelegate_;
    }

    // The two panels.
    /// The content: a navigation stack holding the screen of the chosen menu entry.
    const ViewControllerPtr& contentViewController() const { return content_; }
    /// Replaces the content; `snapToContentViewController` closes the menu.
    void setContentViewController(ViewControllerPtr content, bool snapToContentViewController, bool animated);
    bool isLeftPanelOpen() const { return leftPanelOpen_; }
    void closeLeftPanel(bool animated);
    void toggleMainMenu();

    // Initial load.
    /// The first list has loaded: the loading screen goes and the start-up dialogs follow.
    void initialLoadComplete();
    void retryInitialLoad();

    // Start-up dialogs.
    void displayModals() { displayModalsWithExistingNavigationController(nullptr); }
    /// Shows the next start-up dialog: in place of `navigation`'s stack when given, else presented.
    void displayModalsWithExistingNavigationController(std::shared_ptr<NavigationController> navigation);
    /// No (further) dialog: whatever is presented goes, and the main screens are the user's.
    void defaultLaunch();

    /// Asks the user to sign in again over the main screens.
    void authenticateForServerChallenge();

    /// Stops every observation and the retry timer and lets go of the content and the menu.
    void tearDown();

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewDidDisappear(bool animated) override;

    void didSelectProfileWithViewController(ProfileSelectionViewController& controller, ProfileType type) override;
    void showKidsModePrimerWithViewController(ProfileSelectionViewController& controller) override;
    void catalogChangeKidsModeExitViewControllerDidFinish(CatalogChangeKidsModeExitViewController& controller) override;
    void catalogChangeViewControllerDidFinish(CatalogChangeViewController& controller) override;
    void loginComplete(MVLoginViewController& controller) override;

  private:
    ViewControllerPtr prepareCatalogChangeKidsModeExitViewController();
    ViewControllerPtr prepareCatalogChangeViewController();
    ViewControllerPtr prepareProfileSelectionViewController();
    void displayPopupPresentationControllerWithViewController(const ViewControllerPtr& controller);
    /// Picks the next start-up dialog, if any, and shows it.
    void showStartupDialog(bool profilesAllowed, bool kidsModeAllowed, bool tenantChanged,
                           const std::shared_ptr<NavigationController>& navigation);
    /// Runs the start-up dialogs again once `dialog` has finished.
    void continueAfterDialog(ViewController& dialog);
    void fullScreenModalDismissed();
    void reachabilityChanged(int status);
    /// The screen of the content that a person sees (the top of its navigation stack).
    ViewControllerPtr visibleContent() const;

    std::shared_ptr<MVMenuViewController> mainMenu_;
    std::shared_ptr<MVFullScreenLoadingViewController> initialLoadController_;
    TimerPtr initialLoadRetryTimer_;
    int previousReachabilityStatus_ = -1;
    bool displayingFullScreenModal_ = false;
    std::shared_ptr<ViewControllerTransitioningDelegate> popupTransitioningDelegate_;
    ViewControllerPtr content_;
    bool leftPanelOpen_ = false;
    bool appeared_ = false;
    ScopedObserver landingPageObserver_;
    ScopedObserver reachabilityObserver_;
};

}  // namespace movra
