// NowPlaying: what the system shows of the title playing (lock screen, desktop shell, media keys) and the
// remote commands it sends back: the Now Playing information and the remote command centre.
//
// Thread contract: main queue; the command handler runs there.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace movra {

struct NowPlayingInfo {
    std::string title;
    /// The title's guid: what identifies the track.
    std::string trackId;
    std::optional<std::string> artworkUrl;
    double duration = 0;
    /// Seconds played when the information was set; the system runs it on at `rate`.
    double elapsed = 0;
    double rate = 0;
};

enum class RemoteCommand { Play, Pause, TogglePlayPause, ChangePlaybackPosition };

class NowPlaying {
  public:
    virtual ~NowPlaying() = default;
    /// nullopt: nothing is playing.
    virtual void setNowPlayingInfo(std::optional<NowPlayingInfo> info) = 0;
    /// Receives the commands (with the position asked for, in seconds, for ChangePlaybackPosition); an
    /// empty handler stops them.
    virtual void setCommandHandler(std::function<void(RemoteCommand command, double position)> handler) = 0;
};

}  // namespace movra
