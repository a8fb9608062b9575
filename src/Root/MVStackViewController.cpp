#include "Root/MVStackViewController.h"

#include "API/MVHTTPClient.h"
#include "App/MVDiscriminator.h"
#include "Model/AdultModeTheme.h"
#include "Model/ProfileManager.h"
#include "Platform/DeviceInfo.h"
#include "Platform/Platform.h"
#include "Platform/Reachability.h"
#include "Platform/UiHost.h"
#include "Root/MVBrowsingViewController.h"
#include "Root/MVFullScreenLoadingViewController.h"
#include "Root/MVMenuViewController.h"
#include "Root/MVNavigationController.h"
#include "Sections/KidsMode/KidsModePrimerViewController.h"

namespace movra {

namespace {

/// The start-up dialogs' process-wide flags; they live with the platform.
struct StartupDialogFlags {
    bool kidsExitShown = false;       // kids-mode exit prepared since the container last became visible
    bool catalogChangeShown = false;  // tenant-change notice prepared in this process
};

StartupDialogFlags& startupDialogFlags() { return *Platform::current().sharedObject<StartupDialogFlags>(); }

bool isReachable(int status) {
    return status == ReachabilityStatusReachableViaWWAN || status == ReachabilityStatusReachableViaWiFi;
}

}  // namespace

MVStackViewController::MVStackViewController()
    : popupTransitioningDelegate_(std::make_shared<ViewControllerTransitioningDelegate>()) {}

MVStackViewController::~MVStackViewController() { tearDown(); }

std::string MVStackViewController::describe() const {
    if (initialLoadController_) return initialLoadController_->describe();
    std::string text = content_ ? content_->describe() : "Main screens: no content";
    return leftPanelOpen_ && mainMenu_ ? mainMenu_->describe() + " beside " + text : text;
}

void MVStackViewController::viewDidLoad() {
    ViewController::viewDidLoad();
    auto self = std::static_pointer_cast<MVStackViewController>(shared_from_this());
    std::weak_ptr<MVStackViewController> weak = self;
    auto& platform = Platform::current();
    auto& center = platform.notificationCenter();

    initialLoadController_ = std::make_shared<MVFullScreenLoadingViewController>();
    initialLoadController_->loadViewIfNeeded();
    landingPageObserver_ = ScopedObserver(
        center,
        center.addObserver(MVBrowsingViewController::MVNotificationLandingPageLoaded, [weak](const Notification&) {
            if (auto stack = weak.lock()) stack->initialLoadComplete();
        }));
    mainMenu_ = std::make_shared<MVMenuViewController>();
    mainMenu_->setStackViewController(self);
    mainMenu_->loadViewIfNeeded();
    initialLoadRetryTimer_ =
        platform.mainQueue().scheduleTimer(kInitialLoadRetryInterval, /*repeats=*/true, [weak](Timer&) {
            if (auto stack = weak.lock()) stack->retryInitialLoad();
        });
    reachabilityObserver_ = ScopedObserver(
        center, center.addObserver(kReachabilityDidChangeNotification, [weak](const Notification& notification) {
            if (auto stack = weak.lock())
                stack->reachabilityChanged(
                    notification.userInfo.value(kReachabilityStatusKey, int{ReachabilityStatusUnknown}));
        }));
    displayingFullScreenModal_ = true;
    mainMenu_->loadAndSelectInitialContentViewForStackController(self);
}

void MVStackViewController::reachabilityChanged(int status) {
    if (isReachable(status) && initialLoadController_ && previousReachabilityStatus_ == ReachabilityStatusNotReachable)
        retryInitialLoad();
    previousReachabilityStatus_ = status;
}

void MVStackViewController::retryInitialLoad() {
    if (mainMenu_)
        mainMenu_->loadAndSelectInitialContentViewForStackController(
            std::static_pointer_cast<MVStackViewController>(shared_from_this()));
}

void MVStackViewController::initialLoadComplete() {
    // The retry timer runs exactly while the initial load is under way.
    if (!initialLoadController_ || !initialLoadRetryTimer_) return;
    landingPageObserver_.reset();
    initialLoadRetryTimer_->invalidate();
    initialLoadRetryTimer_.reset();
    auto loading = initialLoadController_;
    std::weak_ptr<MVStackViewController> weak = std::static_pointer_cast<MVStackViewController>(shared_from_this());
    Platform::current().uiHost().animate(
        kLoadingScreenFadeDuration, [loading] { loading->setActivityIndicatorAlpha(0); },
        [weak, loading](bool) {
            auto self = weak.lock();
            if (!self || self->initialLoadController_ != loading) return;
            self->initialLoadController_.reset();
            Platform::current().uiHost().contentDidChange(*self);
            self->displayModals();
        });
}

// ---- the two panels ----

ViewControllerPtr MVStackViewController::visibleContent() const {
    if (auto navigation = std::dynamic_pointer_cast<NavigationController>(content_))
        return navigation->topViewController();
    return content_;
}

void MVStackViewController::setContentViewController(ViewControllerPtr content, bool snapToContentViewController,
                                                     bool animated) {
    if (content != content_) {
        // The content appears and disappears with the container, as a child does.
        auto leaving = appeared_ ? visibleContent() : nullptr;
        if (leaving) leaving->viewWillDisappear(animated);
        content_ = std::move(content);
        if (content_) content_->loadViewIfNeeded();
        auto arriving = appeared_ ? visibleContent() : nullptr;
        if (arriving) arriving->viewWillAppear(animated);
        if (leaving) leaving->viewDidDisappear(animated);
        if (arriving) arriving->viewDidAppear(animated);
    }
    if (snapToContentViewController) leftPanelOpen_ = false;
    Platform::current().uiHost().contentDidChange(*this);
}

void MVStackViewController::closeLeftPanel(bool /*animated*/) {
    leftPanelOpen_ = false;
    Platform::current().uiHost().contentDidChange(*this);
}

void MVStackViewController::toggleMainMenu() {
    leftPanelOpen_ = !leftPanelOpen_;
    Platform::current().uiHost().contentDidChange(*this);
}

void MVStackViewController::viewWillAppear(bool animated) {
    ViewController::viewWillAppear(animated);
    startupDialogFlags().kidsExitShown = false;
    if (auto content = visibleContent()) content->viewWillAppear(animated);
}

void MVStackViewController::viewDidAppear(bool animated) {
    ViewController::viewDidAppear(animated);
    appeared_ = true;
    if (auto content = visibleContent()) content->viewDidAppear(animated);
}

void MVStackViewController::viewWillDisappear(bool animated) {
    ViewController::viewWillDisappear(animated);
    if (auto content = visibleContent()) content->viewWillDisappear(animated);
}

void MVStackViewController::viewDidDisappear(bool animated) {
    ViewController::viewDidDisappear(animated);
    appeared_ = false;
    if (auto content = visibleContent()) content->viewDidDisappear(animated);
}

// ---- start-up dialogs ----

void MVStackViewController::displayModalsWithExistingNavigationController(
    std::shared_ptr<NavigationController> navigation) {
    auto discriminator = MVDiscriminator::sharedDiscriminator();
    if (!discriminator) return defaultLaunch();
    std::weak_ptr<MVStackViewController> weak = std::static_pointer_cast<MVStackViewController>(shared_from_this());
    discriminator->allowsProfilesAndKidsMode([weak, navigation, discriminator](bool profilesAllowed,
                                                                               bool kidsModeAllowed, ErrorPtr error) {
        auto self = weak.lock();
        if (!self) return;
        if (error) {
            Platform::current().notificationCenter().post(MVNotificationLogOut, nullptr, Json{{"error", error->code}});
            return;
        }
        const bool tenantChanged = discriminator->homeTenant() != discriminator->currentTenant();
        self->showStartupDialog(profilesAllowed, kidsModeAllowed, tenantChanged, navigation);
    });
}

void MVStackViewController::showStartupDialog(bool profilesAllowed, bool kidsModeAllowed, bool tenantChanged,
                                              const std::shared_ptr<NavigationController>& navigation) {
    auto& platform = Platform::current();
    auto& defaults = platform.defaults();
    auto& flags = startupDialogFlags();
    ProfileType profileToCheck = ProfileTypeNone;
    if (defaults.boolForKey(kShouldShowPasswordToExitModalKey))
        profileToCheck = ProfileTypeKids;
    else if (!flags.kidsExitShown && !kidsModeAllowed)
        profileToCheck = ProfileManager::launchProfile();

    ViewControllerPtr dialog;
    if (profileToCheck == ProfileTypeKids) {
        // Kept until the dialog is completed, so that it comes back at every start until then.
        defaults.setObject(kShouldShowPasswordToExitModalKey, true);
        defaults.synchronize();
        dialog = prepareCatalogChangeKidsModeExitViewController();
    } else if (!flags.catalogChangeShown && !CatalogChangeViewController::hasShownTenantChangeAlert() &&
               tenantChanged) {
        dialog = prepareCatalogChangeViewController();
    } else if (ProfileSelectionViewController::shouldPresent(profilesAllowed)) {
        dialog = prepareProfileSelectionViewController();
    } else {
        return defaultLaunch();
    }

    if (navigation)
        navigation->setRootViewController(dialog);
    else if (platform.device().idiom() == UserInterfaceIdiom::Pad)
        displayPopupPresentationControllerWithViewController(dialog);
    else
        presentViewController(dialog, /*animated=*/true);
}

ViewControllerPtr MVStackViewController::prepareCatalogChangeKidsModeExitViewController() {
    startupDialogFlags().kidsExitShown = true;
    return std::make_shared<CatalogChangeKidsModeExitViewController>(
        AdultModeTheme::shared(), std::static_pointer_cast<MVStackViewController>(shared_from_this()));
}

ViewControllerPtr MVStackViewController::prepareCatalogChangeViewController() {
    startupDialogFlags().catalogChangeShown = true;
    return std::make_shared<CatalogChangeViewController>(
        AdultModeTheme::shared(), std::static_pointer_cast<MVStackViewController>(shared_from_this()));
}

ViewControllerPtr MVStackViewController::prepareProfileSelectionViewController() {
    return std::make_shared<ProfileSelectionViewController>(
        AdultModeTheme::shared(), std::static_pointer_cast<MVStackViewController>(shared_from_this()));
}

void MVStackViewController::displayPopupPresentationControllerWithViewController(const ViewControllerPtr& controller) {
    auto navigation = std::make_shared<MVNavigationController>();
    navigation->setRootViewController(controller);
    navigation->setModalPresentationStyle(ModalPresentationStyle::Custom);
    navigation->setTransitioningDelegate(popupTransitioningDelegate_);
    presentViewController(navigation, /*animated=*/true);
}

void MVStackViewController::defaultLaunch() {
    if (!presentedViewController()) return fullScreenModalDismissed();
    std::weak_ptr<MVStackViewController> weak = std::static_pointer_cast<MVStackViewController>(shared_from_this());
    dismissViewController(/*animated=*/true, [weak] {
        if (auto self = weak.lock()) self->fullScreenModalDismissed();
    });
}

void MVStackViewController::fullScreenModalDismissed() {
    displayingFullScreenModal_ = false;
    Platform::current().notificationCenter().post(MVTKFullScreenModalDismissed);
}

void MVStackViewController::didSelectProfileWithViewController(ProfileSelectionViewController& /*controller*/,
                                                               ProfileType type) {
    // The dialog has sent the choice's analytics event.
    if (type == ProfileTypeKids && mainMenu_) mainMenu_->navigateToFamily();
    std::weak_ptr<MVStackViewController> weak = std::static_pointer_cast<MVStackViewController>(shared_from_this());
    dismissViewController(/*animated=*/true, [weak] {
        if (auto self = weak.lock()) self->fullScreenModalDismissed();
    });
}

void MVStackViewController::showKidsModePrimerWithViewController(ProfileSelectionViewController& controller) {
    auto selection = std::static_pointer_cast<ProfileSelectionViewController>(controller.shared_from_this());
    controller.presentViewController(std::make_shared<KidsModePrimerViewController>(controller.theme(), selection),
                                     /*animated=*/true);
}

void MVStackViewController::catalogChangeKidsModeExitViewControllerDidFinish(
    CatalogChangeKidsModeExitViewController& controller) {
    auto& defaults = Platform::current().defaults();
    defaults.removeObject(kShouldShowPasswordToExitModalKey);
    defaults.synchronize();
    continueAfterDialog(controller);
}

void MVStackViewController::catalogChangeViewControllerDidFinish(CatalogChangeViewController& controller) {
    continueAfterDialog(controller);
}

void MVStackViewController::continueAfterDialog(ViewController& dialog) {
    if (auto navigation = dialog.navigationController())
        return displayModalsWithExistingNavigationController(navigation);
    std::weak_ptr<MVStackViewController> weak = std::static_pointer_cast<MVStackViewController>(shared_from_this());
    dismissViewController(/*animated=*/true, [weak] {
        if (auto self = weak.lock()) self->displayModals();
    });
}

// ---- authentication and tear-down ----

void MVStackViewController::authenticateForServerChallenge() {
    auto login = std::make_shared<MVLoginViewController>();
    login->setDelegate(std::static_pointer_cast<MVStackViewController>(shared_from_this()));
    auto navigation = std::make_shared<MVNavigationController>();
    navigation->setRootViewController(login);
    presentViewController(navigation, /*animated=*/true);
    displayingFullScreenModal_ = true;
}

void MVStackViewController::loginComplete(MVLoginViewController& /*controller*/) {
    dismissViewController(/*animated=*/true);
    displayingFullScreenModal_ = false;
}

void MVStackViewController::tearDown() {
    landingPageObserver_.reset();
    reachabilityObserver_.reset();
    if (initialLoadRetryTimer_) initialLoadRetryTimer_->invalidate();
    initialLoadRetryTimer_.reset();
    initialLoadController_.reset();
    content_.reset();
    if (mainMenu_) mainMenu_->setStackViewController({});
    mainMenu_.reset();
}

}  // namespace movra
