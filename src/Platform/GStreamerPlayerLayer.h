// GStreamerPlayerLayer: the layer of a GStreamer player. The video sink makes its own window, so the layer
// keeps the player, the gravity and whether it is shown, for the screens that ask.
#pragma once

#include "Platform/MediaPlayerLayer.h"

namespace movra {

class GStreamerPlayerLayer final : public MediaPlayerLayer {
  public:
    explicit GStreamerPlayerLayer(std::shared_ptr<MediaPlayer> player) : player_(std::move(player)) {}

    std::shared_ptr<MediaPlayer> player() const override { return player_; }
    void setPlayer(std::shared_ptr<MediaPlayer> player) override { player_ = std::move(player); }
    const std::string& videoGravity() const override { return gravity_; }
    void setVideoGravity(const std::string& gravity) override { gravity_ = gravity; }
    bool isInHostView() const override { return inHostView_; }
    void setInHostView(bool shown) override { inHostView_ = shown; }

  private:
    std::shared_ptr<MediaPlayer> player_;
    std::string gravity_ = kMediaLayerVideoGravityResizeAspect;
    bool inHostView_ = false;
};

}  // namespace movra
