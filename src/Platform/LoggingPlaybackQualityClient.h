// LoggingPlaybackQualityClient: the playback-quality client used when no collector is configured; it only
// logs, at debug level.
#pragma once

#include "Platform/PlaybackQualityClient.h"

namespace movra {

class LoggingPlaybackQualityClient final : public PlaybackQualityClient {
  public:
    void start(const std::string& customerKey) override;
    SessionKey createSession(const PlaybackQualityContentInfo& content) override;
    void attachPlayer(SessionKey session, std::shared_ptr<MediaPlayer> player) override;
    void reportError(SessionKey session, const std::string& text) override;
    void sendEvent(const std::string& name, const Attributes& attributes) override;
    void cleanupSession(SessionKey session) override;

  private:
    SessionKey lastKey_ = 0;
};

}  // namespace movra
