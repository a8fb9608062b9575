// ScriptedCastDeviceManager: the device manager of the CastSdk test double, connected to a
// ScriptedCastReceiver instead of a socket. It keeps the real manager's contract: states change at once,
// the delegate hears of every outcome later on the main queue, and a delegate may destroy it in a report.
//
// Thread contract: main queue.
#pragma once

#include "Platform/CastDeviceManager.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace movra::test {

class ScriptedCastReceiver;

class ScriptedCastDeviceManager final : public CastDeviceManager {
  public:
    /// `receiver` null: a device nobody answers for; connecting fails.
    ScriptedCastDeviceManager(CastDevice device, std::shared_ptr<ScriptedCastReceiver> receiver);
    ~ScriptedCastDeviceManager() override;

    const CastDevice& device() const override { return device_; }
    void setDelegate(CastDeviceManagerDelegate* delegate) override { delegate_ = delegate; }
    void connect() override;
    void disconnect() override;
    CastConnectionState connectionState() const override { return connectionState_; }
    CastConnectionState applicationConnectionState() const override { return applicationState_; }
    bool launchApplication(const std::string& applicationId, bool relaunchIfRunning) override;
    bool joinApplication(const std::string& applicationId, const std::string& sessionID) override;
    bool leaveApplication() override;
    bool stopApplication() override;
    bool setVolume(float level) override;
    bool setMuted(bool muted) override;
    float deviceVolume() const override { return volume_; }
    bool deviceMuted() const override { return muted_; }
    bool sendTextMessage(const std::string& nameSpace, const std::string& text) override;

    /// The application session this manager is connected to.
    const std::optional<std::string>& sessionId() const { return sessionId_; }

    // ---- from the receiver; each takes effect later on the main queue ----
    void deliver(const std::string& nameSpace, const std::string& text);
    void connectionLost(std::int64_t code);
    void applicationEnded();
    void volumeChanged(float level, bool muted);

  private:
    /// Runs `task` later on the main queue, unless this manager is gone by then.
    void later(std::function<void()> task);
    /// Calls the delegate, when there is one; false when it destroyed this manager meanwhile.
    bool tell(const std::function<void(CastDeviceManagerDelegate&)>& call);
    bool requestApplication(std::function<void()> answer);
    void finishApplicationRequest(std::int64_t errorCode, const std::string& sessionId, bool launched,
                                  const std::string& applicationId);

    CastDevice device_;
    std::shared_ptr<ScriptedCastReceiver> receiver_;
    CastDeviceManagerDelegate* delegate_ = nullptr;
    CastConnectionState connectionState_ = CastConnectionState::Disconnected;
    CastConnectionState applicationState_ = CastConnectionState::Disconnected;
    bool applicationRequestPending_ = false;
    std::optional<std::string> sessionId_;
    float volume_ = 1;
    bool muted_ = false;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace movra::test
