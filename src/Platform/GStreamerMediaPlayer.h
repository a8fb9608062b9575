// GStreamerMediaPlayer: plays one GStreamerPlayerItem. The rate drops to 0 when the item plays to its end,
// as the platform player pauses there.
#pragma once

#include "Platform/GStreamerPlayerItem.h"
#include "Platform/MediaObserverList.h"
#include "Platform/MediaPlayer.h"

#include <memory>

namespace movra {

class GStreamerMediaPlayer final : public MediaPlayer, public std::enable_shared_from_this<GStreamerMediaPlayer> {
  public:
    static std::shared_ptr<GStreamerMediaPlayer> make(std::shared_ptr<GStreamerPlayerItem> item);

    Token addObserver(const std::string& key, std::function<void()> changed) override;
    bool removeObserver(const std::string& key, Token token) override;

    std::shared_ptr<MediaPlayerItem> currentItem() const override { return item_; }
    float rate() const override { return rate_; }
    void setRate(float rate) override;
    double currentTime() const override { return item_ ? item_->currentTime() : 0; }
    void seekToTime(double seconds, std::function<void(bool finished)> completion) override;
    bool isExternalPlaybackActive() const override { return false; }
    void setAllowsExternalPlayback(bool) override {}
    void setAppliesMediaSelectionCriteriaAutomatically(bool) override {}

  private:
    explicit GStreamerMediaPlayer(std::shared_ptr<GStreamerPlayerItem> item) : item_(std::move(item)) {}

    const std::shared_ptr<GStreamerPlayerItem> item_;
    MediaObserverList observers_;
    float rate_ = 0;
};

}  // namespace movra
