// CastMediaStatus: what a receiver last reported about the media session it plays.
#pragma once

#include "Foundation/Json.h"
#include "Platform/CastMediaInformation.h"

#include <cstdint>
#include <optional>

namespace movra {

enum class CastMediaPlayerState {
    Unknown = 0,    // no report, or a state this sender does not know
    Idle = 1,       // nothing playing; idleReason says why
    Playing = 2,    // playing
    Paused = 3,     // paused by a sender or the receiver
    Buffering = 4,  // waiting for data
};

enum class CastMediaPlayerIdleReason {
    None = 0,         // not idle, or no reason given
    Finished = 1,     // played to its end
    Cancelled = 2,    // stopped by a sender
    Interrupted = 3,  // replaced by another load
    Error = 4,        // failed while playing
};

struct CastMediaStatus {
    std::int64_t mediaSessionID = 0;
    CastMediaPlayerState playerState = CastMediaPlayerState::Unknown;
    CastMediaPlayerIdleReason idleReason = CastMediaPlayerIdleReason::None;
    /// Seconds, at the time of the report.
    double streamPosition = 0;
    double playbackRate = 1;
    /// The media the receiver reported with this status, or (when it left it out) the one it reported before.
    CastMediaInformationPtr mediaInformation;
    Json customData;

    /// An entry of a MEDIA_STATUS "status" list; nullopt when it is not an object with a numeric
    /// "mediaSessionId". `previous` supplies the media information a status may leave out.
    static std::optional<CastMediaStatus> fromJson(const Json& entry, const CastMediaInformationPtr& previous);
};

}  // namespace movra
