// MVCastManager: discovery of cast receivers. So far it scans for receivers of the service's receiver
// application; connection and media control come with the cast sender.
//
// Thread contract: main queue.
#pragma once

#include <string>

namespace movra {

inline constexpr const char* MVTKCastNoDevicesAvailable = "MVTKCastNoDevicesAvailable";

class MVCastManager {
  public:
    /// The built-in receiver application identifier.
    static constexpr const char* kMVTKReceiverAppId = "4F8A21C7";

    MVCastManager() = default;

    const std::string& castApplicationId() const { return castApplicationId_; }
    void setCastApplicationId(std::string id) { castApplicationId_ = std::move(id); }
    bool isScanning() const { return scanning_; }
    /// Starts scanning; says so when no receiver is known.
    void startScanning();
    void stopScanning();
    std::size_t knownDeviceCount() const { return 0; }
    /// Whether a receiver plays for this app. Sessions with a receiver come with the cast session work; until
    /// then there is none.
    bool isCasting() const { return false; }
    /// Leaves the connected receiver, stopping its playback first when `stopCasting`. There is no session
    /// to leave until the cast session work lands, so for now this has nothing to do.
    void disconnectFromDevice(bool /*stopCasting*/) {}

  private:
    std::string castApplicationId_ = kMVTKReceiverAppId;
    bool scanning_ = false;
};

}  // namespace movra
