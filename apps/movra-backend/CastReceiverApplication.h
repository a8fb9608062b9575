// CastReceiverApplication: the service's receiver application as it runs in one session on the emulated
// cast receiver. It takes a load only with the eight keys of the sender's custom data and a device token the
// service accepts, opens the streaming session of the title and plays it in virtual time (the receiver's
// speed times real time), reporting media status as a receiver does. It answers "ready" on the subtitles
// namespace, takes subtitle and audio choices, sends its dubbing list, offers the next episode near the end
// of an episode and moves on to it by itself unless a sender dismissed the offer, reports the end of a title
// with the service's idle report, and closes the streaming session it opened.
//
// Thread contract: not thread-safe; the receiver calls it under its own lock.
#pragma once

#include "Foundation/Json.h"
#include "movra-backend/AccountStore.h"
#include "movra-backend/StreamingSessions.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace movra::backend {

class CastReceiverApplication {
  public:
    static constexpr const char* kSubtitlesNamespace = "urn:x-cast:com.movratavik.subtitles";
    static constexpr const char* kDubbingNamespace = "urn:x-cast:com.movratavik.dubbing";
    static constexpr const char* kErrorNamespace = "urn:x-cast:com.movratavik.error";
    static constexpr const char* kTeardownNamespace = "urn:x-cast:com.movratavik.receiverTeardown";
    static constexpr const char* kChainPlayNamespace = "urn:x-cast:com.movratavik.chainPlay";
    static constexpr const char* kMediaNamespace = "urn:x-cast:com.google.cast.media";
    /// Seconds of virtual time before the end of an episode at which the next one is offered.
    static constexpr int kChainPlayCountdown = 15;

    /// Sends `text` on `nameSpace` to every sender connected to the application.
    using Broadcast = std::function<void(const std::string& nameSpace, const std::string& text)>;
    /// Sends `text` on `nameSpace` to the sender whose message is being handled.
    using Reply = std::function<void(const std::string& nameSpace, const std::string& text)>;
    using TimePoint = std::chrono::steady_clock::time_point;

    CastReceiverApplication(AccountStore& accounts, StreamingSessions& sessions, double speed, Broadcast broadcast);
    /// Closes the streaming session when one is open.
    ~CastReceiverApplication();
    CastReceiverApplication(const CastReceiverApplication&) = delete;
    CastReceiverApplication& operator=(const CastReceiverApplication&) = delete;

    /// Every namespace it speaks.
    static const std::vector<std::string>& namespaces();

    /// A sender opened a virtual connection to the application.
    void senderConnected(const Reply& reply);
    /// A message from a sender; false when the sender asked the application to end (teardown).
    bool handle(const std::string& nameSpace, const std::string& text, const Reply& reply, TimePoint now);
    /// Moves playback on to `now`: the end of a title, the next-episode offer.
    void tick(TimePoint now);
    /// The service's error message (the fault switch): playback ends with an error.
    void sendError(const Json& message, TimePoint now);

    Json toJson(TimePoint now) const;

  private:
    enum class PlayerState { Idle, Buffering, Playing, Paused };

    /// What plays, or played last.
    struct Media {
        std::int64_t mediaSessionId = 0;
        std::string guid;
        /// The media information as loaded, with only the item left of the custom data.
        Json information;
        Json item;
        double duration = 0;
        std::string userName;
        std::string deviceId;
        bool streamingSessionOpen = false;
    };

    void handleMedia(const Json& request, const Reply& reply, TimePoint now);
    void load(const Json& request, const Reply& reply, TimePoint now);
    /// Playback position in seconds of the title.
    double position(TimePoint now) const;
    void setState(PlayerState state, TimePoint now);
    void broadcastStatus(std::int64_t requestId, TimePoint now, const Json& idleReason = Json(),
                         bool withMedia = false);
    Json statusEntry(TimePoint now, const Json& idleReason, bool withMedia) const;
    void sendDubbingList();
    void closeStreamingSession();
    /// Starts `guid` (already validated) with the same sender identity.
    bool start(const std::string& guid, const Json& item, Json information, double position, bool autoplay,
               TimePoint now);
    void finishTitle(TimePoint now);

    AccountStore& accounts_;
    StreamingSessions& sessions_;
    double speed_;
    Broadcast broadcast_;

    std::optional<Media> media_;
    /// Whether a status has carried the media of the title that plays.
    bool mediaAnnounced_ = false;
    PlayerState state_ = PlayerState::Idle;
    /// Position at `since`; while playing it moves on at speed_ from there.
    double basePosition_ = 0;
    TimePoint since_{};
    std::int64_t nextMediaSessionId_ = 1;
    std::string subtitle_ = "off";
    std::string audioTrack_;
    /// The next episode offered (its item dictionary), and whether a sender dismissed the offer.
    Json nextItem_;
    bool chainPlayDismissed_ = false;
    int titlesPlayed_ = 0;
};

}  // namespace movra::backend
