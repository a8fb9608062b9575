// CastDeviceManager: one connection to a cast receiver: the receiver itself (connect, volume), one
// application session on it (launch, join, leave, stop) and the channels spoken with that application.
//
// Thread contract: used on the main queue; the delegate is called there, never from inside the call that
// caused the report. The delegate and the channels are not owned: remove channels and clear the delegate
// before they are destroyed.
#pragma once

#include "Platform/CastConnectionState.h"
#include "Platform/CastDevice.h"
#include "Platform/CastDeviceManagerDelegate.h"

#include <map>
#include <string>

namespace movra {

class CastChannel;

class CastDeviceManager {
  public:
    virtual ~CastDeviceManager() = default;

    virtual const CastDevice& device() const = 0;
    virtual void setDelegate(CastDeviceManagerDelegate* delegate) = 0;

    virtual void connect() = 0;
    virtual void disconnect() = 0;
    virtual CastConnectionState connectionState() const = 0;
    virtual CastConnectionState applicationConnectionState() const = 0;

    /// Starts `applicationId`, or joins it when it already runs and `relaunchIfRunning` is false. False
    /// when the request cannot be sent (not connected, another application request under way).
    virtual bool launchApplication(const std::string& applicationId, bool relaunchIfRunning) = 0;
    /// Joins the running session `sessionID` of `applicationId`; fails with kCastErrorApplicationNotRunning
    /// when the receiver runs no such session. False when the request cannot be sent.
    virtual bool joinApplication(const std::string& applicationId, const std::string& sessionID) = 0;
    /// Closes this sender's connection to the application, which keeps running.
    virtual bool leaveApplication() = 0;
    /// Ends the application session on the receiver.
    virtual bool stopApplication() = 0;

    /// Attaches `channel`; it receives the application's messages on its namespace once the application is
    /// connected. One channel per namespace: false when the namespace is taken.
    bool addChannel(CastChannel& channel);
    bool removeChannel(CastChannel& channel);

    /// Level from 0 to 1.
    virtual bool setVolume(float level) = 0;
    virtual bool setMuted(bool muted) = 0;
    /// Last volume the receiver reported.
    virtual float deviceVolume() const = 0;
    virtual bool deviceMuted() const = 0;

    /// Used by attached channels: sends `text` on `nameSpace` to the connected application.
    virtual bool sendTextMessage(const std::string& nameSpace, const std::string& text) = 0;

  protected:
    /// The channel attached on `nameSpace`, or nullptr.
    CastChannel* channelFor(const std::string& nameSpace) const;
    const std::map<std::string, CastChannel*>& channels() const { return channels_; }
    /// Lets every attached channel go; a manager's destructor calls it.
    void detachChannels();

  private:
    std::map<std::string, CastChannel*> channels_;
};

}  // namespace movra
