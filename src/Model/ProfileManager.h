// ProfileManager: the active profile (kept in the defaults under "inKidsMode") and the profile the app was
// launched or resumed with.
//
// Thread contract: main queue.
#pragma once

#include <string>

#include "Model/ProfileType.h"

namespace movra {

class ProfileManager {
public:
    static constexpr const char* InKidsModeUserDefaultKey = "inKidsMode";
    static constexpr const char* ActiveProfileChangedNotification = "ProfileManagerActiveProfileChangedNotification";

    /// Read from "inKidsMode" on every access: absent (or not a boolean) none, false adult, true kids.
    static ProfileType activeProfile();
    /// Stores the profile and posts the change notification when it changed.
    static void setActiveProfile(ProfileType profile);
    /// Initialised from "inKidsMode" on first access.
    static ProfileType launchProfile();
    static void setLaunchProfile(ProfileType profile);
    /// "Family" in the kids profile, else "Standard".
    static std::string analyticsStringForActiveProfile();
};

}  // namespace movra
