// CastDeviceManagerDelegate: what a device manager reports about its receiver and the application on it.
// Every method has an empty default.
//
// Thread contract: called on the main queue, never from inside the device manager call that caused it.
#pragma once

#include "Foundation/Error.h"
#include "Platform/CastApplicationMetadata.h"

#include <string>

namespace movra {

class CastDeviceManager;

class CastDeviceManagerDelegate {
  public:
    virtual ~CastDeviceManagerDelegate() = default;

    virtual void deviceManagerDidConnect(CastDeviceManager& /*manager*/) {}
    virtual void deviceManagerDidFailToConnect(CastDeviceManager& /*manager*/, const ErrorPtr& /*error*/) {}
    /// `error` is null after disconnect() was asked for.
    virtual void deviceManagerDidDisconnect(CastDeviceManager& /*manager*/, const ErrorPtr& /*error*/) {}
    virtual void deviceManagerDidConnectToApplication(CastDeviceManager& /*manager*/,
                                                      const CastApplicationMetadata& /*metadata*/,
                                                      const std::string& /*sessionID*/, bool /*launchedApplication*/) {}
    virtual void deviceManagerDidFailToConnectToApplication(CastDeviceManager& /*manager*/, const ErrorPtr& /*error*/) {
    }
    /// `error` is null after leaveApplication() or stopApplication() was asked for.
    virtual void deviceManagerDidDisconnectFromApplication(CastDeviceManager& /*manager*/, const ErrorPtr& /*error*/) {}
    virtual void deviceManagerDidReceiveApplicationMetadata(CastDeviceManager& /*manager*/,
                                                            const CastApplicationMetadata& /*metadata*/) {}
    virtual void deviceManagerVolumeDidChange(CastDeviceManager& /*manager*/, float /*volumeLevel*/, bool /*isMuted*/) {
    }
};

}  // namespace movra
