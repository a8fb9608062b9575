#include "Platform/CastMediaControlChannel.h"

#include "Foundation/Log.h"
#include "Platform/CastSdk.h"
#include "Platform/Platform.h"

#include <algorithm>

namespace movra {

std::int64_t CastMediaControlChannel::send(Json request, bool needsSession) {
    if (needsSession) {
        if (!mediaStatus_) return kCastInvalidRequestID;
        request["mediaSessionId"] = mediaStatus_->mediaSessionID;
    }
    const std::int64_t requestID = nextRequestID_;
    request["requestId"] = requestID;
    if (!sendTextMessage(request.dump())) return kCastInvalidRequestID;
    ++nextRequestID_;
    return requestID;
}

std::int64_t CastMediaControlChannel::loadMedia(const CastMediaInformation& media, bool autoplay, double playPosition) {
    const auto id =
        send({{"type", "LOAD"}, {"media", media.toJson()}, {"autoplay", autoplay}, {"currentTime", playPosition}},
             /*needsSession=*/false);
    if (id != kCastInvalidRequestID) loadRequestID_ = id;
    return id;
}

std::int64_t CastMediaControlChannel::play() { return send({{"type", "PLAY"}}, /*needsSession=*/true); }
std::int64_t CastMediaControlChannel::pause() { return send({{"type", "PAUSE"}}, /*needsSession=*/true); }
std::int64_t CastMediaControlChannel::stop() { return send({{"type", "STOP"}}, /*needsSession=*/true); }
std::int64_t CastMediaControlChannel::requestStatus() { return send({{"type", "GET_STATUS"}}, /*needsSession=*/false); }

std::int64_t CastMediaControlChannel::seekToTimeInterval(double position) {
    return send({{"type", "SEEK"}, {"currentTime", position}}, /*needsSession=*/true);
}

double CastMediaControlChannel::approximateStreamPosition() const {
    if (!mediaStatus_) return 0;
    double position = mediaStatus_->streamPosition;
    if (mediaStatus_->playerState == CastMediaPlayerState::Playing)
        position += (Platform::current().clock().monotonicSeconds() - statusTime_) * mediaStatus_->playbackRate;
    if (mediaStatus_->mediaInformation && mediaStatus_->mediaInformation->streamDuration() > 0)
        position = std::min(position, mediaStatus_->mediaInformation->streamDuration());
    return position;
}

void CastMediaControlChannel::didReceiveTextMessage(const std::string& text) {
    didReceiveMessage(Json::parse(text, nullptr, /*allow_exceptions=*/false));
}

void CastMediaControlChannel::didReceiveMessage(const Json& message) {
    const auto type = stringValue(message, "type");
    if (!type) {
        Log::warning("Cast media channel: message without a type ignored");
        return;
    }
    std::optional<std::int64_t> requestID;
    if (auto it = message.find("requestId"); it != message.end() && it->is_number_integer())
        requestID = it->get<std::int64_t>();

    if (*type == "MEDIA_STATUS") {
        auto list = message.find("status");
        if (list == message.end() || !list->is_array()) {
            Log::warning("Cast media channel: MEDIA_STATUS without a status list ignored");
            return;
        }
        std::optional<CastMediaStatus> status;
        if (!list->empty()) {
            status = CastMediaStatus::fromJson(
                list->front(), mediaStatus_ ? mediaStatus_->mediaInformation : CastMediaInformationPtr());
            if (!status) {
                Log::warning("Cast media channel: malformed media status ignored");
                return;
            }
        }
        mediaStatus_ = std::move(status);
        statusTime_ = Platform::current().clock().monotonicSeconds();
        const bool loadCompleted = mediaStatus_ && requestID && requestID == loadRequestID_;
        if (loadCompleted) loadRequestID_.reset();
        const std::weak_ptr<int> alive = alive_;
        if (delegate_ && loadCompleted)
            delegate_->mediaControlChannelDidCompleteLoad(*this, mediaStatus_->mediaSessionID);
        if (delegate_ && !alive.expired()) delegate_->mediaControlChannelDidUpdateStatus(*this);
        return;
    }
    const auto reason = stringValue(message, "reason").value_or(*type);
    if (*type == "LOAD_FAILED" || *type == "LOAD_CANCELLED") {
        if (requestID && requestID == loadRequestID_) loadRequestID_.reset();
        if (delegate_)
            delegate_->mediaControlChannelDidFailToLoadMedia(
                *this, makeError(kCastErrorDomain, kCastErrorMediaLoadFailed, "Media load failed", reason));
        return;
    }
    if (*type == "INVALID_REQUEST" || *type == "INVALID_PLAYER_STATE") {
        if (delegate_)
            delegate_->mediaControlChannelRequestDidFail(
                *this, requestID.value_or(kCastInvalidRequestID),
                makeError(kCastErrorDomain, kCastErrorInvalidRequest, "Invalid request", reason));
        return;
    }
    Log::debug("Cast media channel: message of type {} ignored", *type);
}

}  // namespace movra
