// PlaybackQualityClient: the playback-quality analytics library. A session describes one viewing (its
// content and tags); once a player is attached the library watches it and measures what a viewer suffers
// (join time, rebuffering, bitrate changes, errors). Named events with string attributes go to every open
// session; a session ends with an error report or plainly, with its clean-up.
//
// Thread contract: main queue.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace movra {

class MediaPlayer;

/// The description a session starts with.
struct PlaybackQualityContentInfo {
    std::string assetName;
    std::string cdnName;
    bool isLive = false;
    std::string playerName;
    std::string viewerId;
    /// Key/value tags, in the order they were added.
    std::vector<std::pair<std::string, std::string>> tags;
};

class PlaybackQualityClient {
  public:
    using SessionKey = std::int64_t;
    using Attributes = std::map<std::string, std::string>;

    virtual ~PlaybackQualityClient() = default;
    /// Starts the library with the service's customer key.
    virtual void start(const std::string& customerKey) = 0;
    /// Opens a session with no player attached yet.
    virtual SessionKey createSession(const PlaybackQualityContentInfo& content) = 0;
    /// Starts watching `player` for the session (an unknown key is ignored).
    virtual void attachPlayer(SessionKey session, std::shared_ptr<MediaPlayer> player) = 0;
    virtual void reportError(SessionKey session, const std::string& text) = 0;
    virtual void sendEvent(const std::string& name, const Attributes& attributes) = 0;
    /// Ends the session: it stops watching its player and reports its end.
    virtual void cleanupSession(SessionKey session) = 0;
    /// For a process about to exit: sends what is queued and blocks until the collector has taken it all
    /// (true) or not (false). Needs no run loop.
    virtual bool flush(double /*timeoutSeconds*/) { return true; }
    /// For the platform's shutdown, once transports and queues have stopped: keeps on disk what must
    /// survive the process. Nothing is sent afterwards.
    virtual void shutdown() {}
};

}  // namespace movra
