// CastV2DeviceManager: the device manager of the cast protocol v2. It keeps one TLS connection to the
// receiver with a virtual connection to the receiver platform ("receiver-0"), answers and sends heartbeats,
// follows the receiver status (applications, volume), launches, joins, leaves and stops an application
// session and carries the attached channels' messages to and from the application's transport.
//
// Thread contract: main queue, as CastDeviceManager. The socket's thread only posts to the main queue.
#pragma once

#include "Foundation/Json.h"
#include "Foundation/Timer.h"
#include "Platform/CastDeviceManager.h"
#include "Platform/CastEnvelope.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace movra {

class CastSocket;

inline constexpr const char* kCastConnectionNamespace = "urn:x-cast:com.google.cast.tp.connection";
inline constexpr const char* kCastHeartbeatNamespace = "urn:x-cast:com.google.cast.tp.heartbeat";
inline constexpr const char* kCastReceiverNamespace = "urn:x-cast:com.google.cast.receiver";

class CastV2DeviceManager final : public CastDeviceManager {
  public:
    /// A PING goes out this often; a receiver silent for kLostAfterIntervals of them is lost.
    static constexpr double kHeartbeatInterval = 5;
    static constexpr int kLostAfterIntervals = 3;
    static constexpr double kConnectTimeout = 10;

    CastV2DeviceManager(CastDevice device, std::string clientPackageName);
    ~CastV2DeviceManager() override;

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

    /// When the receiver last sent anything (monotonic seconds of the platform's clock).
    double lastHeardFromReceiver() const { return lastHeard_; }
    /// Handles one message from the receiver; the socket's thread posts each one here.
    void didReceive(const CastEnvelope& envelope);

  private:
    /// An application session as the receiver status lists it.
    struct Application {
        std::string appId;
        std::string displayName;
        std::string sessionId;
        std::string transportId;
        std::vector<std::string> namespaces;
    };
    /// A launch or join waiting for the receiver's answer.
    struct ApplicationRequest {
        bool join = false;
        std::string appId;
        std::string sessionId;
        bool relaunchIfRunning = false;
        /// The LAUNCH went out (a launch first asks for the status).
        bool launchSent = false;
        std::int64_t requestId = 0;
    };

    void didOpen();
    /// Ends the connection after a failure and reports it.
    void lose(std::int64_t code, const std::string& reason);
    void closeSocket();
    void heartbeat();
    /// Sends a JSON message; false when there is no open connection.
    bool send(const std::string& destination, const std::string& nameSpace, const Json& message);
    std::int64_t sendRequest(Json message);
    void handleReceiverMessage(const std::string& type, const Json& message);
    /// False when the status is not of the expected shape; `volumeChanged` tells whether the volume moved.
    bool readReceiverStatus(const Json& status, bool& volumeChanged);
    void continueApplicationRequest();
    void connectToApplication(const Application& application, bool launched);
    void failApplicationRequest(std::int64_t code, const std::string& description);
    /// False when the delegate destroyed this manager meanwhile.
    bool applicationEnded(ErrorPtr error);
    /// Calls the delegate, when there is one; false when it destroyed this manager meanwhile.
    bool tell(const std::function<void(CastDeviceManagerDelegate&)>& call);
    /// Runs `report` on the main queue later, unless this manager is gone by then.
    void report(std::function<void(CastDeviceManagerDelegate&)> report);

    CastDevice device_;
    std::string clientPackageName_;
    CastDeviceManagerDelegate* delegate_ = nullptr;
    std::unique_ptr<CastSocket> socket_;
    CastConnectionState connectionState_ = CastConnectionState::Disconnected;
    CastConnectionState applicationState_ = CastConnectionState::Disconnected;
    TimerPtr heartbeat_;
    double lastHeard_ = 0;
    std::vector<Application> applications_;
    std::optional<Application> application_;
    std::optional<ApplicationRequest> applicationRequest_;
    float volume_ = 1;
    bool muted_ = false;
    std::int64_t nextRequestId_ = 1;
    /// Tells posted work whether this manager still exists.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace movra
