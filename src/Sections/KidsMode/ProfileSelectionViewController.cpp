#include "Sections/KidsMode/ProfileSelectionViewController.h"

#include "App/MVAnalytics.h"
#include "Model/ProfileManager.h"
#include "Platform/Platform.h"
#include "Sections/KidsMode/PINConfigurationErrorAlert.h"

namespace movra {

bool ProfileSelectionViewController::shouldPresent(bool kidsModeAllowed) {
    if (!kidsModeAllowed) return false;
    const bool finished = Platform::current().defaults().boolForKey(ProfileManager::kHasFinishedProfileSelectionKey);
    return !finished || ProfileManager::launchProfile() == ProfileTypeNone;
}

ProfileSelectionViewController::ProfileSelectionViewController(
    std::shared_ptr<const ProfileTheme> theme, std::weak_ptr<ProfileSelectionViewControllerDelegate> delegate)
    : theme_(std::move(theme)), delegate_(std::move(delegate)) {}

std::string ProfileSelectionViewController::describe() const {
    switch (state_) {
        case State::Choosing:
            return "Profile selection: Adult | Kids";
        case State::ReadingConfiguration:
            return "Profile selection: reading the Family settings";
        case State::ShowingPrimer:
            return "Profile selection: Family PIN primer";
        case State::Finished:
            return "Profile selection: done";
    }
    return className();
}

void ProfileSelectionViewController::selectProfile(ProfileType type) {
    if (state_ != State::Choosing || type == ProfileTypeNone) return;
    Platform::current().defaults().setObject(ProfileManager::kHasFinishedProfileSelectionKey, true);
    ProfileManager::setActiveProfile(type);
    if (type == ProfileTypeKids) return finish(type);

    state_ = State::ReadingConfiguration;
    auto weak = std::weak_ptr<ProfileSelectionViewController>(
        std::static_pointer_cast<ProfileSelectionViewController>(shared_from_this()));
    ProfileManager::getKidsModeConfiguration(
        [weak](std::optional<KidsModeConfiguration> configuration, ErrorPtr error) {
            if (auto self = weak.lock()) self->configurationRead(std::move(configuration), error);
        });
}

void ProfileSelectionViewController::configurationRead(std::optional<KidsModeConfiguration> configuration,
                                                       ErrorPtr error) {
    if (!configuration) {
        // The profile stays chosen; the user may pick again once the alert is gone.
        state_ = State::Choosing;
        presentViewController(alertControllerWithPINConfigurationError(error, nullptr), true);
        return;
    }
    configuration_ = std::move(configuration);
    const bool turnedOff = configuration_->kidsModeIgnore().value_or(false);
    const bool hasPIN = !configuration_->kidsModePIN().value_or("").empty();
    if (turnedOff || hasPIN) return finish(ProfileTypeAdult);
    state_ = State::ShowingPrimer;
    if (auto delegate = delegate_.lock()) delegate->showKidsModePrimerWithViewController(*this);
}

void ProfileSelectionViewController::kidsModePrimerDidFinish() {
    if (state_ == State::ShowingPrimer) finish(ProfileTypeAdult);
}

void ProfileSelectionViewController::didSucceedWithViewController(ViewController& /*primer*/) {
    dismissViewController(true);
    kidsModePrimerDidFinish();
}

void ProfileSelectionViewController::didCancelWithViewController(ViewController& primer) {
    didSucceedWithViewController(primer);
}

void ProfileSelectionViewController::finish(ProfileType type) {
    state_ = State::Finished;
    MVTrackEvent("Home", "Home_ChooseProfile", ProfileManager::analyticsStringForActiveProfile(), 0);
    if (auto delegate = delegate_.lock()) delegate->didSelectProfileWithViewController(*this, type);
}

}  // namespace movra
