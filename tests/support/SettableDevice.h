// Device, locale and reachability whose answers tests set.
#pragma once

#include "Platform/DeviceInfo.h"
#include "Platform/Locale.h"
#include "Platform/Reachability.h"

#include <atomic>

namespace movra::test {

class SettableDevice final : public DeviceInfo {
  public:
    UserInterfaceIdiom idiom() const override { return idiom_; }
    std::string name() const override { return name_; }
    std::string systemName() const override { return "iOS"; }
    std::string systemVersion() const override { return "17.0"; }
    std::string appShortVersion() const override { return "2.4.1"; }
    std::string appBuildNumber() const override { return "311"; }
    std::string localizedModel() const override { return model_; }
    ScreenBounds mainScreenBounds() const override { return screenBounds_; }

    UserInterfaceIdiom idiom_ = UserInterfaceIdiom::Phone;
    std::string name_ = "Test Phone";
    std::string model_ = "iPhone";
    ScreenBounds screenBounds_;
};

class SettableLocale final : public Locale {
  public:
    std::string languageCode() const override { return languageCode_; }
    std::vector<std::string> preferredLanguages() const override { return {"sv-SE", "en"}; }

    std::string languageCode_ = "sv";
};

class SettableReachability final : public Reachability {
  public:
    bool isReachable() const override { return reachable_; }
    /// Changes the state and announces it, as the network coming and going does.
    void setReachable(bool reachable) {
        if (reachable_.exchange(reachable) != reachable) announce(reachable);
    }
    std::atomic<bool> reachable_{true};
};

}  // namespace movra::test
