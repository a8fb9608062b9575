#include "Platform/LoggingPlaybackQualityClient.h"

#include "Foundation/Log.h"

namespace movra {

void LoggingPlaybackQualityClient::start(const std::string& customerKey) {
    Log::debug("Playback-quality client started (customer key {})", customerKey);
}

}  // namespace movra
