#include "movra/ProfileCommand.h"

#include "Foundation/Localization.h"
#include "Model/MVRootMenuEntries.h"
#include "Model/ProfileManager.h"
#include "Platform/AlertController.h"
#include "Sections/KidsMode/ProfileSelectionViewController.h"
#include "movra/ClientSession.h"
#include "movra/Output.h"
#include "movra/RootMenu.h"

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
    if (profile.empty() || profile == "none") {
        if (auto error = session.open()) {
            printFailure(options, error->localizedDescription, error);
            return 2;
        }
    } else if (auto failed = profile == "kids" ? session.startWithStore() : session.start(/*requireSignIn=*/true)) {
        return *failed;
    }
    const ProfileType current = ProfileManager::activeProfile();
    if (profile.empty()) {
        printProfile(options);
        return 0;
    }
    const ProfileType wanted = profile == "kids"    ? ProfileTypeKids
                               : profile == "adult" ? ProfileTypeAdult
                                                    : ProfileTypeNone;
    if (wanted == current) {
        printProfile(options);
        return 0;
    }
    if (current == ProfileTypeKids) {
        printFailure(options, "Leaving the kids profile takes its PIN, and this command cannot ask for it yet");
        return 1;
    }
    if (wanted == ProfileTypeNone) {
        ProfileManager::setActiveProfile(ProfileTypeNone);
        printProfile(options);
        return 0;
    }
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
        auto alert = std::dynamic_pointer_cast<AlertController>(screen->presentedViewController());
        printFailure(options, "The kids-mode configuration could not be read: " + (alert ? alert->message() : ""));
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

}  // namespace movra::cli
