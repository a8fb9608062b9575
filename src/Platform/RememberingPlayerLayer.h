// RememberingPlayerLayer: a layer that keeps its player, its gravity and whether it is shown, for the screens
// that ask. The GStreamer video sink makes its own window, and the simulated engine draws nothing.
#pragma once

#include "Platform/MediaPlayerLayer.h"

namespace movra {

class RememberingPlayerLayer final : public MediaPlayerLayer {
  public:
    explicit RememberingPlayerLayer(std::shared_ptr<MediaPlayer> player) : player_(std::move(player)) {}

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
