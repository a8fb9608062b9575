#include "Platform/CastMediaStatus.h"

#include <utility>

namespace movra {

std::optional<CastMediaStatus> CastMediaStatus::fromJson(const Json& entry, const CastMediaInformationPtr& previous) {
    if (!entry.is_object() || !entry.contains("mediaSessionId") || !entry["mediaSessionId"].is_number_integer())
        return std::nullopt;
    CastMediaStatus status;
    status.mediaSessionID = entry["mediaSessionId"].get<std::int64_t>();
    static const std::pair<const char*, CastMediaPlayerState> states[] = {
        {"IDLE", CastMediaPlayerState::Idle},
        {"PLAYING", CastMediaPlayerState::Playing},
        {"PAUSED", CastMediaPlayerState::Paused},
        {"BUFFERING", CastMediaPlayerState::Buffering}};
    const auto state = stringValue(entry, "playerState").value_or("");
    for (const auto& [name, value] : states)
        if (state == name) status.playerState = value;
    // A reason in another form (the service's receiver sends an object) is no standard reason.
    static const std::pair<const char*, CastMediaPlayerIdleReason> reasons[] = {
        {"FINISHED", CastMediaPlayerIdleReason::Finished},
        {"CANCELLED", CastMediaPlayerIdleReason::Cancelled},
        {"INTERRUPTED", CastMediaPlayerIdleReason::Interrupted},
        {"ERROR", CastMediaPlayerIdleReason::Error}};
    const auto reason = stringValue(entry, "idleReason").value_or("");
    for (const auto& [name, value] : reasons)
        if (reason == name) status.idleReason = value;
    if (auto it = entry.find("currentTime"); it != entry.end() && it->is_number())
        status.streamPosition = it->get<double>();
    if (auto it = entry.find("playbackRate"); it != entry.end() && it->is_number())
        status.playbackRate = it->get<double>();
    status.mediaInformation = previous;
    if (auto it = entry.find("media"); it != entry.end())
        if (auto media = CastMediaInformation::fromJson(*it)) status.mediaInformation = std::move(media);
    status.customData = entry.value("customData", Json());
    if (status.customData.is_null() && status.mediaInformation)
        status.customData = status.mediaInformation->customData();
    return status;
}

}  // namespace movra
