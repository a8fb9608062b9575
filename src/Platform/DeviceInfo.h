// DeviceInfo: what the client knows of the device it runs on (idiom, model, name, app version).
#pragma once

#include <string>

namespace movra {

enum class UserInterfaceIdiom { Unspecified, Phone, Pad };

/// Points of the main screen in its portrait coordinate space (width the short side).
struct ScreenBounds {
    double width = 390;
    double height = 844;
};

class DeviceInfo {
  public:
    virtual ~DeviceInfo() = default;
    virtual UserInterfaceIdiom idiom() const = 0;
    /// Localized model name ("iPhone", "iPad").
    virtual std::string localizedModel() const = 0;
    /// The user-assigned device name.
    virtual std::string name() const = 0;
    virtual std::string systemName() const = 0;
    virtual std::string systemVersion() const = 0;
    /// The app's short version string and build number ("1.0.0", "42").
    virtual std::string appShortVersion() const = 0;
    virtual std::string appBuildNumber() const = 0;
    /// The main screen's bounds; a phone's unless a device says otherwise.
    virtual ScreenBounds mainScreenBounds() const { return {}; }
};

}  // namespace movra
