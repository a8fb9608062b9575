#include "Model/ProfileManager.h"

#include "Platform/Platform.h"

namespace movra {

namespace {

/// Launch profile state; lives on the platform so that each test starts afresh.
struct LaunchProfileState {
    bool initialised = false;
    ProfileType profile = ProfileTypeNone;
};

std::shared_ptr<LaunchProfileState> launchState() { return Platform::current().sharedObject<LaunchProfileState>(); }

}  // namespace

ProfileType ProfileManager::activeProfile() {
    auto& defaults = Platform::current().defaults();
    auto value = defaults.object(InKidsModeUserDefaultKey);
    // A stored 0 or 1 is a boolean to the defaults as well; texts, lists and dictionaries are not.
    if (!value || !(value->is_boolean() || value->is_number())) return ProfileTypeNone;
    return defaults.boolForKey(InKidsModeUserDefaultKey) ? ProfileTypeKids : ProfileTypeAdult;
}

void ProfileManager::setActiveProfile(ProfileType profile) {
    const auto old = activeProfile();
    auto& defaults = Platform::current().defaults();
    if (profile == ProfileTypeNone)
        defaults.removeObject(InKidsModeUserDefaultKey);
    else
        defaults.setObject(InKidsModeUserDefaultKey, profile == ProfileTypeKids);
    if (old != profile) {
        Notification n;
        n.name = ActiveProfileChangedNotification;
        n.userInfo = {{"oldValue", static_cast<int>(old)}, {"newValue", static_cast<int>(profile)}};
        Platform::current().notificationCenter().post(n);
    }
}

ProfileType ProfileManager::launchProfile() {
    auto state = launchState();
    if (!state->initialised) {
        state->initialised = true;
        state->profile = activeProfile();
    }
    return state->profile;
}

void ProfileManager::setLaunchProfile(ProfileType profile) {
    auto state = launchState();
    state->initialised = true;
    state->profile = profile;
}

std::string ProfileManager::analyticsStringForActiveProfile() {
    return activeProfile() == ProfileTypeKids ? "Family" : "Standard";
}

}  // namespace movra
