#include "Platform/LoggingPlaybackQualityClient.h"

#include "Foundation/Log.h"

namespace movra {

void LoggingPlaybackQualityClient::start(const std::string& customerKey) {
    Log::debug("Playback-quality client started (customer key {})", customerKey);
}

PlaybackQualityClient::SessionKey LoggingPlaybackQualityClient::createSession(
    const PlaybackQualityContentInfo& content) {
    Log::debug("Playback-quality session {} for {}", ++lastKey_, content.assetName);
    return lastKey_;
}

void LoggingPlaybackQualityClient::attachPlayer(SessionKey session, std::shared_ptr<MediaPlayer>) {
    Log::debug("Playback-quality session {}: player attached", session);
}

void LoggingPlaybackQualityClient::reportError(SessionKey session, const std::string& text) {
    Log::debug("Playback-quality session {}: error {}", session, text);
}

void LoggingPlaybackQualityClient::sendEvent(const std::string& name, const Attributes& attributes) {
    Log::debug("Playback-quality event {} ({} attributes)", name, attributes.size());
}

void LoggingPlaybackQualityClient::cleanupSession(SessionKey session) {
    Log::debug("Playback-quality session {} ended", session);
}

}  // namespace movra
