// CastChannel: a text channel on one namespace of a receiver application. Subclasses override
// didReceiveTextMessage() to handle what the application sends.
//
// Thread contract: main queue. A channel is attached to at most one device manager at a time; the device
// manager does not own it.
#pragma once

#include <string>

namespace movra {

class CastDeviceManager;

class CastChannel {
  public:
    explicit CastChannel(std::string nameSpace) : nameSpace_(std::move(nameSpace)) {}
    virtual ~CastChannel() = default;
    CastChannel(const CastChannel&) = delete;
    CastChannel& operator=(const CastChannel&) = delete;

    const std::string& protocolNamespace() const { return nameSpace_; }
    /// Whether it is attached to a device manager whose application is connected.
    bool isConnected() const;
    /// Queues `text` for the application; false when it is not connected.
    bool sendTextMessage(const std::string& text);

    virtual void didReceiveTextMessage(const std::string& /*text*/) {}

    /// Called by the device manager when it adds (manager) or removes (nullptr) the channel.
    void setDeviceManager(CastDeviceManager* manager) { deviceManager_ = manager; }
    CastDeviceManager* deviceManager() const { return deviceManager_; }

  private:
    std::string nameSpace_;
    CastDeviceManager* deviceManager_ = nullptr;
};

}  // namespace movra
