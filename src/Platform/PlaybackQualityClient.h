// PlaybackQualityClient: the playback-quality analytics library.
#pragma once

#include <string>

namespace movra {

class PlaybackQualityClient {
  public:
    virtual ~PlaybackQualityClient() = default;
    /// Starts the library with the service's customer key.
    virtual void start(const std::string& customerKey) = 0;
};

}  // namespace movra
