// SimulatedMediaPlayer: plays one simulated item; its rate drives the item's position. It pauses at the end.
#pragma once

#include "Platform/MediaPlayer.h"
#include "support/SimulatedMediaPlayerItem.h"
#include "support/SimulatedObservers.h"

namespace movra::test {

class SimulatedMediaPlayer final : public MediaPlayer, public std::enable_shared_from_this<SimulatedMediaPlayer> {
  public:
    explicit SimulatedMediaPlayer(std::shared_ptr<SimulatedMediaPlayerItem> item) : item_(std::move(item)) {}

    Token addObserver(const std::string& key, std::function<void()> changed) override {
        return observers_.add(key, std::move(changed));
    }
    bool removeObserver(const std::string& key, Token token) override { return observers_.remove(key, token); }

    std::shared_ptr<MediaPlayerItem> currentItem() const override { return item_; }
    float rate() const override { return rate_; }
    void setRate(float rate) override;
    double currentTime() const override { return item_ ? item_->currentTime() : 0; }
    void seekToTime(double seconds, std::function<void(bool finished)> completion) override;
    bool isExternalPlaybackActive() const override { return false; }
    void setAllowsExternalPlayback(bool allows) override { allowsExternalPlayback_ = allows; }
    void setAppliesMediaSelectionCriteriaAutomatically(bool applies) override { appliesCriteria_ = applies; }

    const std::shared_ptr<SimulatedMediaPlayerItem>& simulatedItem() const { return item_; }
    std::size_t observerCount() const { return observers_.count(); }
    bool appliesMediaSelectionCriteriaAutomatically() const { return appliesCriteria_; }

  private:
    std::shared_ptr<SimulatedMediaPlayerItem> item_;
    SimulatedObservers observers_;
    float rate_ = 0;
    bool allowsExternalPlayback_ = true;
    bool appliesCriteria_ = true;
};

}  // namespace movra::test
