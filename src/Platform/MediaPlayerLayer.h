// MediaPlayerLayer: the surface that shows a player's video, with its gravity (fit or fill).
#pragma once

#include <memory>
#include <string>

namespace movra {

class MediaPlayer;

inline constexpr const char* kMediaLayerVideoGravityResizeAspect = "AVLayerVideoGravityResizeAspect";
inline constexpr const char* kMediaLayerVideoGravityResizeAspectFill = "AVLayerVideoGravityResizeAspectFill";

class MediaPlayerLayer {
  public:
    virtual ~MediaPlayerLayer() = default;
    virtual std::shared_ptr<MediaPlayer> player() const = 0;
    /// nullptr detaches the layer from its player.
    virtual void setPlayer(std::shared_ptr<MediaPlayer> player) = 0;
    virtual const std::string& videoGravity() const = 0;
    virtual void setVideoGravity(const std::string& gravity) = 0;
    /// Shown in the host view, or not.
    virtual bool isInHostView() const = 0;
    virtual void setInHostView(bool shown) = 0;
};

}  // namespace movra
