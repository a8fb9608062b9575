// MediaEngine: the platform player. It makes assets (a stream URL whose tracks, playability and duration load
// asynchronously), player items over them, players that play one item, and the layers that show a player.
//
// Thread contract: every object it makes is used on the main queue, and everything it reports (loading
// answers, seek answers, observer notices, the end-of-item notification) reaches the main queue. The one
// exception is the resource loader: key requests of a custom scheme go to the asset's resource-loader
// delegate on the serial queue given with it, and may be answered from any thread.
#pragma once

#include "Platform/MediaAsset.h"
#include "Platform/MediaPlayer.h"
#include "Platform/MediaPlayerItem.h"
#include "Platform/MediaPlayerLayer.h"

#include <memory>
#include <string>

namespace movra {

/// Posted on the main queue when an item plays to its end; the notice's sender is the MediaPlayerItem.
inline constexpr const char* kMediaPlayerItemDidPlayToEndTimeNotification = "AVPlayerItemDidPlayToEndTimeNotification";

/// Domain of the engine's own errors (an asset that cannot load, a key that did not come).
inline constexpr const char* kMediaEngineErrorDomain = "MediaEngine";

class MediaEngine {
  public:
    virtual ~MediaEngine() = default;

    /// An asset for the URL; nothing loads until loadValuesAsynchronously().
    virtual std::shared_ptr<MediaAsset> makeAsset(const std::string& url) = 0;
    virtual std::shared_ptr<MediaPlayerItem> makePlayerItem(const std::shared_ptr<MediaAsset>& asset) = 0;
    /// A paused player (rate 0) whose current item is `item`.
    virtual std::shared_ptr<MediaPlayer> makePlayer(const std::shared_ptr<MediaPlayerItem>& item) = 0;
    virtual std::shared_ptr<MediaPlayerLayer> makePlayerLayer(const std::shared_ptr<MediaPlayer>& player) = 0;
};

}  // namespace movra
