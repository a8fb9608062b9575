#include "Model/ProfileManager.h"

#include "Foundation/Localization.h"
#include "Foundation/Strings.h"
#include "Model/AdultModeTheme.h"
#include "Model/KidsModeTheme.h"
#include "Platform/Platform.h"
#include "Utilities/MVSettingsResponse.h"

namespace movra {

namespace {

/// Launch profile state; lives on the platform so that each test starts afresh.
struct LaunchProfileState {
    bool initialised = false;
    ProfileType profile = ProfileTypeNone;
};

std::shared_ptr<LaunchProfileState> launchState() { return Platform::current().sharedObject<LaunchProfileState>(); }

ErrorPtr unavailable(std::string reason) {
    return makeError(kMovraErrorDomain, kErrorUnexpectedAnswer,
                     MVLocalizedString("A problem has occured and the service may be temporarily unavailable."),
                     std::move(reason));
}

KidsModeConfiguration configurationFromSettings(const MVSettingsResponse& settings) {
    const auto ignore = toLower(settings.settingWithName("kidsModeIgnore").value_or(""));
    return KidsModeConfiguration(ignore == "true" || ignore == "yes" || ignore == "1",
                                 settings.settingWithName("kidsModePIN").value_or(""));
}

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

std::shared_ptr<const ProfileTheme> ProfileManager::themeForActiveProfile() {
    if (activeProfile() == ProfileTypeKids) return KidsModeTheme::shared();
    return AdultModeTheme::shared();
}

void ProfileManager::getKidsModeConfiguration(ConfigurationCompletion completion) {
    auto deliver = [completion](std::optional<KidsModeConfiguration> configuration, ErrorPtr error) {
        Platform::current().mainQueue().post([completion, configuration = std::move(configuration), error] {
            if (completion) completion(configuration, error);
        });
    };
    auto client = MVHTTPClient::sharedClient();
    if (!client) return deliver(std::nullopt, unavailable("No API client"));
    // The settings answer comes on a background queue; the configuration is handed over on the main queue.
    client->getSettingsWithCompletion([deliver](ErrorPtr error, std::shared_ptr<MVSettingsResponse> settings) {
        if (!error && settings) return deliver(configurationFromSettings(*settings), nullptr);
        deliver(std::nullopt, error ? error : unavailable("No settings in the answer"));
    });
}

bool ProfileManager::setKidsModeConfiguration(const KidsModeConfiguration& configuration, ErrorPtr* error,
                                              MVHTTPClient::Completion networkCompletion) {
    const auto& pin = configuration.kidsModePIN();
    if (pin && !pin->empty() && !KidsModeConfiguration::validatePIN(*pin, error)) return false;
    auto client = MVHTTPClient::sharedClient();
    if (!client) {
        if (error) *error = unavailable("No API client");
        return false;
    }
    client->updateSettings(configuration.settingsDictionary(), std::move(networkCompletion));
    return true;
}

}  // namespace movra
