// LoggingPlaybackQualityClient: the playback-quality client used when no collector is configured; it only
// logs, at debug level.
#pragma once

#include "Platform/PlaybackQualityClient.h"

namespace movra {

class LoggingPlaybackQualityClient final : public PlaybackQualityClient {
  public:
    void start(const std::string& customerKey) override;
};

}  // namespace movra
