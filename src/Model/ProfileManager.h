// ProfileManager: the active profile (kept in the defaults under "inKidsMode"), the profile the app was
// launched or resumed with, the theme of the active profile, and the kids-mode configuration kept in the
// subscriber's settings on the back end.
//
// Thread contract: main queue; completions run on the main queue.
#pragma once

#include "API/MVHTTPClient.h"
#include "Model/KidsModeConfiguration.h"
#include "Model/ProfileTheme.h"
#include "Model/ProfileType.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace movra {

class ProfileManager {
  public:
    static constexpr const char* InKidsModeUserDefaultKey = "inKidsMode";
    static constexpr const char* kHasFinishedProfileSelectionKey = "MVTKHasFinishedProfileSelection";
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
    /// The shared KidsModeTheme in the kids profile, else the shared AdultModeTheme.
    static std::shared_ptr<const ProfileTheme> themeForActiveProfile();

    /// (the configuration, or nullopt with the error that prevented reading it).
    using ConfigurationCompletion = std::function<void(std::optional<KidsModeConfiguration>, ErrorPtr)>;
    /// Reads the settings: "kidsModeIgnore" is true for "true", "yes" or "1" in any case (false otherwise and
    /// when absent), "kidsModePIN" is its value or "". Without a configuration there is always an error.
    static void getKidsModeConfiguration(ConfigurationCompletion completion);
    /// Writes the configuration's settings. A non-empty PIN is checked first: when it fails, nothing is sent,
    /// `*error` holds the PINValidationError and the answer is false. An empty PIN goes out unchecked (it
    /// removes the PIN). True when the request was sent; `networkCompletion` then gets its outcome.
    static bool setKidsModeConfiguration(const KidsModeConfiguration& configuration, ErrorPtr* error,
                                         MVHTTPClient::Completion networkCompletion);
};

}  // namespace movra
