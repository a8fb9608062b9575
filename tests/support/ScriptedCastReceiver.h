// ScriptedCastReceiver: the receiver side of the CastSdk test double, in process and in the platform clock's
// time. It runs one application session at a time, answers the standard media namespace as a receiver does
// (load, play, pause, seek, stop, status; a command for another media session is an invalid request), records
// what senders send on other namespaces and answers them through scripted handlers, and has fault switches:
// refusing connections, freezing (every connection lost), failing the next load.
//
// Thread contract: main queue. Whatever it tells a device manager reaches that manager's delegate and
// channels later on the main queue, never inside the call that caused it.
#pragma once

#include "Foundation/Json.h"
#include "Platform/CastDevice.h"
#include "Platform/CastMediaStatus.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace movra::test {

class ScriptedCastDeviceManager;

class ScriptedCastReceiver {
  public:
    struct Media {
        std::int64_t mediaSessionId = 0;
        Json information;
        CastMediaPlayerState state = CastMediaPlayerState::Idle;
        std::string idleReason;
        /// Position at `since` (monotonic seconds); it moves on from there while playing.
        double position = 0;
        double since = 0;
    };
    /// Answers a sender's text on a custom namespace (typically with sendText()).
    using TextHandler = std::function<void(const std::string& text)>;
    /// What a launch or join gives: the session, or the cast error code that refused it.
    struct ApplicationOutcome {
        std::int64_t errorCode = 0;
        std::string sessionId;
        bool launched = false;
    };

    /// A receiver on which `applications` can be launched.
    ScriptedCastReceiver(CastDevice device, std::vector<std::string> applications);

    const CastDevice& device() const { return device_; }
    bool isAvailable(const std::string& applicationId) const;

    // ---- the application session ----
    const std::optional<std::string>& sessionId() const { return sessionId_; }
    /// Ends the session as the receiver would (its own stop, or another sender's): every sender connected to
    /// it learns that the application is no longer running.
    void endSession();

    // ---- faults ----
    void setRefusesConnections(bool refuses) { refusesConnections_ = refuses; }
    bool refusesConnections() const { return refusesConnections_; }
    /// Stops answering: every connection is lost as to a receiver that went silent.
    void freeze();
    /// The next load is answered LOAD_FAILED with `reason`.
    void failNextLoad(std::string reason) { failNextLoad_ = std::move(reason); }

    // ---- media ----
    /// The media's position now.
    double position() const;
    /// Plays the media to its end: IDLE, FINISHED, to every sender.
    void finishMedia();

    // ---- custom namespaces ----
    void onText(const std::string& nameSpace, TextHandler handler) { handlers_[nameSpace] = std::move(handler); }
    /// Sends `text` on `nameSpace` to every sender connected to the application session.
    void sendText(const std::string& nameSpace, const std::string& text);
    /// What senders sent, as (namespace, text), media requests included.
    const std::vector<std::pair<std::string, std::string>>& received() const { return received_; }

    float volume() const { return volume_; }
    bool muted() const { return muted_; }

    // ---- for ScriptedCastDeviceManager ----
    void attach(ScriptedCastDeviceManager& manager);
    void detach(ScriptedCastDeviceManager& manager);
    ApplicationOutcome launch(const std::string& applicationId, bool relaunchIfRunning);
    ApplicationOutcome join(const std::string& applicationId, const std::string& sessionId);
    void receive(ScriptedCastDeviceManager& sender, const std::string& nameSpace, const std::string& text);
    void setVolume(float level);
    void setMuted(bool muted);
    /// The receiver went away: every connection is lost with `code`.
    void loseConnections(std::int64_t code);

  private:
    void handleMedia(ScriptedCastDeviceManager& sender, const Json& request);
    Json statusMessage(std::int64_t requestId) const;
    void broadcastStatus(ScriptedCastDeviceManager* requester, std::int64_t requestId);
    void toSessionSenders(const std::string& nameSpace, const std::string& text, ScriptedCastDeviceManager* except);
    void volumeChanged();
    double now() const;

    CastDevice device_;
    std::vector<std::string> applications_;
    std::vector<ScriptedCastDeviceManager*> managers_;
    std::optional<std::string> sessionId_;
    std::string runningApplication_;
    int sessionsStarted_ = 0;
    bool refusesConnections_ = false;
    std::optional<std::string> failNextLoad_;
    std::optional<Media> media_;
    std::int64_t nextMediaSessionId_ = 1;
    std::map<std::string, TextHandler> handlers_;
    std::vector<std::pair<std::string, std::string>> received_;
    float volume_ = 1;
    bool muted_ = false;
};

}  // namespace movra::test
