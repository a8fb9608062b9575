// SimulatedMediaPlayerItem: the presentation state of a simulated asset. It becomes ready after its script's
// delay (or fails when a key failed), and while its player plays, its position advances with the platform
// clock at the rate; a repeating one-second tick grows the loaded range, runs the scripted stall and failure,
// and ends the item at its duration.
#pragma once

#include "Foundation/RunLoop.h"
#include "Platform/MediaPlayerItem.h"
#include "support/SimulatedMediaAsset.h"
#include "support/SimulatedObservers.h"

#include <map>

namespace movra::test {

class SimulatedMediaPlayerItem final : public MediaPlayerItem,
                                       public std::enable_shared_from_this<SimulatedMediaPlayerItem> {
  public:
    explicit SimulatedMediaPlayerItem(std::shared_ptr<SimulatedMediaAsset> asset);
    ~SimulatedMediaPlayerItem() override;
    /// Starts the way to readiness; the engine calls it once the item is shared.
    void start();

    Token addObserver(const std::string& key, std::function<void()> changed) override {
        return observers_.add(key, std::move(changed));
    }
    bool removeObserver(const std::string& key, Token token) override { return observers_.remove(key, token); }

    std::shared_ptr<MediaAsset> asset() const override { return asset_; }
    MediaPlayerItemStatus status() const override { return status_; }
    ErrorPtr error() const override { return error_; }
    std::string errorLog() const override { return errorLog_; }
    std::optional<double> duration() const override;
    double currentTime() const override;
    std::vector<MediaTimeRange> loadedTimeRanges() const override;
    bool isPlaybackBufferEmpty() const override { return bufferEmpty_; }
    bool isPlaybackLikelyToKeepUp() const override { return !bufferEmpty_; }
    std::optional<double> indicatedBitrate() const override { return bitrate_; }
    void seekToTime(double seconds, std::function<void(bool finished)> completion) override;
    void cancelPendingSeeks() override;
    void selectMediaOption(const std::optional<MediaSelectionOption>& option,
                           const MediaSelectionGroup& group) override;
    std::optional<MediaSelectionOption> selectedMediaOption(const MediaSelectionGroup& group) const override;
    std::optional<MediaVideoSize> firstVideoTrackNaturalSize() const override;
    void setLegibleOutputHandler(std::function<void(const MediaLegibleCue& cue)> handler) override {
        legibleOutput_ = std::move(handler);
    }
    /// Hands `cue` to the legible output, as the engine would when playback reaches it.
    void emitCue(const MediaLegibleCue& cue) const {
        if (legibleOutput_) legibleOutput_(cue);
    }

    /// Playback at `rate` from now on (the player's rate); `reachedEnd` is called when the item ends.
    void setPlaybackRate(float rate, std::function<void()> reachedEnd);
    std::size_t observerCount() const { return observers_.count(); }
    /// Targets of the seeks asked for, in order.
    const std::vector<double>& seekTargets() const { return seekTargets_; }

  private:
    double now() const;
    void tick();
    void fail(ErrorPtr error, std::string log);

    std::shared_ptr<SimulatedMediaAsset> asset_;
    SimulatedObservers observers_;
    MediaPlayerItemStatus status_ = MediaPlayerItemStatus::Unknown;
    ErrorPtr error_;
    std::string errorLog_;
    // The position was `anchorPosition_` at clock time `anchorTime_` and moves at `rate_` since.
    double anchorPosition_ = 0;
    double anchorTime_ = 0;
    float rate_ = 0;
    bool bufferEmpty_ = false;
    std::optional<double> bitrate_;
    bool stallDone_ = false;
    int seeksLandingAtZero_ = 0;
    std::function<void(bool)> pendingSeek_;
    DelayedTask pendingSeekTask_;
    std::vector<double> seekTargets_;
    std::map<MediaCharacteristic, std::optional<MediaSelectionOption>> selected_;
    TimerPtr ticker_;
    std::function<void()> reachedEnd_;
    std::vector<DelayedTask> delayed_;
    std::function<void(const MediaLegibleCue&)> legibleOutput_;
};

}  // namespace movra::test
