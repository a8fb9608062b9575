#include "movra/ProfileCommand.h"

#include "Foundation/Localization.h"
#include "Model/KidsModeConfiguration.h"
#include "Model/MVRootMenuEntries.h"
#include "Model/ProfileManager.h"
#include "Sections/KidsMode/KidsModeExitViewController.h"
#include "Sections/KidsMode/KidsModeForgotPINViewController.h"
#include "Sections/KidsMode/ProfileSelectionViewController.h"
#include "movra/KidsModeFlowWatch.h"
#include "movra/Output.h"
#include "movra/RootMenu.h"
#include "movra/SecretInput.h"

namespace movra::cli {

namespace {

constexpr const char* kPrimerText =
    "Set a 4-digit PIN for the Family section to let your kids enjoy family friendly content while keeping all "
    "other Movra content hidden.";

const char* profileName(ProfileType profile) {
    switch (profile) {
        case ProfileTypeAdult:
            return "adult";
        case ProfileTypeKids:
            return "kids";
        case ProfileTypeNone:
            break;
    }
    return "none";
}

void printProfile(const GlobalOptions& options, const std::string& note = {}) {
    const ProfileType active = ProfileManager::activeProfile();
    Json json = {{"activeProfile", profileName(active)},
                 {"analytics", ProfileManager::analyticsStringForActiveProfile()},
                 {"theme", ProfileManager::themeForActiveProfile()->name()}};
    if (!note.empty()) json["note"] = note;
    printResult(options, json,
                (note.empty() ? "" : note + "\n") + "Profile: " + profileName(active) + " (" +
                    ProfileManager::analyticsStringForActiveProfile() + ")");
}

/// Remembers whether the adult pick asked for the primer.
class PrimerWatch final : public ProfileSelectionViewControllerDelegate {
  public:
    void showKidsModePrimerWithViewController(ProfileSelectionViewController&) override { primerShown = true; }
    bool primerShown = false;
};

}  // namespace

int ProfileCommand::run(const GlobalOptions& options) const {
    ClientSession session(options);
    if (auto error = session.open()) {
        printFailure(options, error->localizedDescription, error);
        return 2;
    }
    const ProfileType current = ProfileManager::activeProfile();
    if (profile.empty()) {
        printProfile(options);
        return 0;
    }
    const ProfileType wanted = profile == "kids"    ? ProfileTypeKids
                               : profile == "adult" ? ProfileTypeAdult
                                                    : ProfileTypeNone;
    if (forgotPin && wanted != ProfileTypeAdult) {
        printFailure(options, "--forgot-pin leaves the kids profile: use it with movra profile adult");
        return 2;
    }
    if (wanted == current) {
        printProfile(options);
        return 0;
    }
    if (current == ProfileTypeKids) {
        if (wanted == ProfileTypeAdult) return leaveKidsProfile(session, options);
        printFailure(options, "Leaving the kids profile takes its PIN: use movra profile adult");
        return 1;
    }
    if (wanted == ProfileTypeNone) {
        ProfileManager::setActiveProfile(ProfileTypeNone);
        printProfile(options);
        return 0;
    }
    if (auto failed = wanted == ProfileTypeKids ? session.startWithStore() : session.start(/*requireSignIn=*/true))
        return *failed;
    if (wanted == ProfileTypeKids) {
        // The service has a kids profile when its menu has a lockable (kids) section.
        auto [menu, failure] = loadRootMenuEntries(ClientSession::kAnswerTimeoutSeconds);
        if (!menu || !MVRootMenuEntries::shared()->lockableItem()) {
            printFailure(options,
                         menu ? "This service has no kids profile"
                              : "The menu could not be loaded" + (failure ? ": " + failure->summary() : ""),
                         failure);
            return 1;
        }
    }
    auto watch = std::make_shared<PrimerWatch>();
    auto screen = std::make_shared<ProfileSelectionViewController>(ProfileManager::themeForActiveProfile(), watch);
    screen->loadViewIfNeeded();
    screen->selectProfile(wanted);
    using State = ProfileSelectionViewController::State;
    if (!session.wait([&] { return screen->state() != State::ReadingConfiguration; })) {
        printFailure(options, "The kids-mode configuration could not be read in time");
        return 1;
    }
    if (screen->state() == State::Choosing) {
        printFailure(options,
                     "The kids-mode configuration could not be read: " + KidsModeFlowWatch::alertMessage(*screen));
        return 1;
    }
    std::string note;
    if (watch->primerShown) {
        // The primer's "Maybe Later": it is offered again next time.
        note = MVLocalizedString(kPrimerText) + " (movra kids-config --set-pin sets one; --ignore true stops asking)";
        screen->kidsModePrimerDidFinish();
    }
    printProfile(options, note);
    return 0;
}

int ProfileCommand::leaveKidsProfile(ClientSession& session, const GlobalOptions& options) const {
    std::string problem;
    const auto secret =
        forgotPin ? SecretInput{"password", "--password-stdin", "MOVRA_PASSWORD"}.read(passwordFromStdin,
                                                                                       "Account password: ", problem)
                  : SecretInput{"PIN", "--pin-stdin", "MOVRA_PIN"}.read(pinFromStdin, "Kids-mode PIN: ", problem);
    if (!secret) {
        printFailure(options, problem);
        return 2;
    }
    ErrorPtr invalid;
    // What no PIN can be is refused before anything is sent.
    if (!forgotPin && !KidsModeConfiguration::validatePIN(*secret, &invalid)) {
        printFailure(options, "PIN validation error: " + invalid->localizedDescription, invalid);
        return 2;
    }
    if (auto failed = session.start(/*requireSignIn=*/true)) return *failed;

    auto watch = std::make_shared<KidsModeFlowWatch>();
    auto exitScreen = std::make_shared<KidsModeExitViewController>(ProfileManager::themeForActiveProfile(), watch);
    exitScreen->loadViewIfNeeded();
    std::shared_ptr<KidsModeViewController> screen = exitScreen;
    if (forgotPin) {
        exitScreen->forgotPIN();
        auto forgot = std::dynamic_pointer_cast<KidsModeForgotPINViewController>(exitScreen->presentedViewController());
        forgot->submit(*secret);
        screen = forgot;
    } else {
        for (char digit : *secret) exitScreen->pinView().numberPad().tapDigit(digit);
    }
    if (!KidsModeFlowWatch::waitFor(session, *screen)) {
        printFailure(options, "Leaving the kids profile did not finish in time");
        return 1;
    }
    if (watch->succeeded()) {
        printProfile(options, forgotPin ? "Left the kids profile with the account password; the PIN is cleared"
                                        : "Left the kids profile with the PIN");
        return 0;
    }
    if (exitScreen->wrongAttempts() > 0) {
        printFailure(options, "Wrong PIN: still in the kids profile");
        return 1;
    }
    printFailure(options, "Still in the kids profile: " + KidsModeFlowWatch::alertMessage(*screen));
    return 1;
}

}  // namespace movra::cli
