// CastMediaControlChannel: media control on the standard media namespace: load a title, play, pause, seek,
// stop, ask for status; keeps the last media status the receiver reported.
//
// Thread contract: main queue; the delegate is called there and is not owned.
#pragma once

#include "Platform/CastChannel.h"
#include "Platform/CastMediaControlChannelDelegate.h"
#include "Platform/CastMediaInformation.h"
#include "Platform/CastMediaStatus.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace movra {

inline constexpr const char* kCastMediaNamespace = "urn:x-cast:com.google.cast.media";
/// What a request method answers when the request could not be sent.
inline constexpr std::int64_t kCastInvalidRequestID = -1;

class CastMediaControlChannel : public CastChannel {
  public:
    CastMediaControlChannel() : CastChannel(kCastMediaNamespace) {}

    void setDelegate(CastMediaControlChannelDelegate* delegate) { delegate_ = delegate; }
    CastMediaControlChannelDelegate* delegate() const { return delegate_; }

    /// Each answers the request id, or kCastInvalidRequestID when it could not be sent. All but loadMedia()
    /// and requestStatus() need a media session (a media status).
    std::int64_t loadMedia(const CastMediaInformation& media, bool autoplay, double playPosition);
    std::int64_t play();
    std::int64_t pause();
    std::int64_t stop();
    std::int64_t seekToTimeInterval(double position);
    std::int64_t requestStatus();

    /// The last status, or nullopt when the receiver plays nothing of ours.
    const std::optional<CastMediaStatus>& mediaStatus() const { return mediaStatus_; }
    /// The reported position moved on by the time passed since the report while playing, at most the duration.
    double approximateStreamPosition() const;

    void didReceiveTextMessage(const std::string& text) override;
    /// The same for a message already parsed (a device manager that read it need not parse it again).
    void didReceiveMessage(const Json& message);

  private:
    std::int64_t send(Json request, bool needsSession);

    CastMediaControlChannelDelegate* delegate_ = nullptr;
    std::optional<CastMediaStatus> mediaStatus_;
    double statusTime_ = 0;
    std::int64_t nextRequestID_ = 1;
    std::optional<std::int64_t> loadRequestID_;
    /// Tells a report under way whether its delegate destroyed this channel.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace movra
