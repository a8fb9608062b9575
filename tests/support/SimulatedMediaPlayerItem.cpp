#include "support/SimulatedMediaPlayerItem.h"

#include "Platform/MediaEngine.h"
#include "Platform/Platform.h"

#include <algorithm>

namespace movra::test {

SimulatedMediaPlayerItem::SimulatedMediaPlayerItem(std::shared_ptr<SimulatedMediaAsset> asset)
    : asset_(std::move(asset)), seeksLandingAtZero_(asset_->script().seeksLandingAtZero) {}

SimulatedMediaPlayerItem::~SimulatedMediaPlayerItem() {
    if (ticker_) ticker_->invalidate();
    pendingSeekTask_.cancel();
    for (auto& task : delayed_) task.cancel();
}

void SimulatedMediaPlayerItem::start() {
    anchorTime_ = now();
    std::weak_ptr<SimulatedMediaPlayerItem> weak = weak_from_this();
    delayed_.push_back(Platform::current().mainQueue().postAfter(asset_->script().readyDelay, [weak] {
        auto self = weak.lock();
        if (!self || self->status_ != MediaPlayerItemStatus::Unknown) return;
        if (auto keyFailure = self->asset_->keyFailure()) return self->fail(keyFailure, "the content key failed");
        self->status_ = MediaPlayerItemStatus::ReadyToPlay;
        self->bitrate_ = self->asset_->script().bitrate;
        self->observers_.notify("indicatedBitrate");
        self->observers_.notify("duration");
        self->observers_.notify("tracks");
        self->observers_.notify("status");
        self->observers_.notify("loadedTimeRanges");
        self->observers_.notify("playbackLikelyToKeepUp");
    }));
}

double SimulatedMediaPlayerItem::now() const { return Platform::current().clock().monotonicSeconds(); }

std::optional<double> SimulatedMediaPlayerItem::duration() const {
    if (status_ != MediaPlayerItemStatus::ReadyToPlay) return std::nullopt;
    return asset_->script().duration;
}

double SimulatedMediaPlayerItem::currentTime() const {
    const double moving = status_ == MediaPlayerItemStatus::ReadyToPlay && !bufferEmpty_ ? rate_ : 0;
    return std::clamp(anchorPosition_ + (now() - anchorTime_) * moving, 0.0, asset_->script().duration);
}

std::vector<MediaTimeRange> SimulatedMediaPlayerItem::loadedTimeRanges() const {
    if (status_ != MediaPlayerItemStatus::ReadyToPlay) return {};
    const double end = std::min(asset_->script().duration, currentTime() + asset_->script().bufferAhead);
    return {{0, end}};
}

void SimulatedMediaPlayerItem::setPlaybackRate(float rate, std::function<void()> reachedEnd) {
    anchorPosition_ = currentTime();
    anchorTime_ = now();
    rate_ = rate;
    reachedEnd_ = std::move(reachedEnd);
    if (rate_ > 0 && !ticker_) {
        std::weak_ptr<SimulatedMediaPlayerItem> weak = weak_from_this();
        ticker_ = Platform::current().mainQueue().scheduleTimer(1.0, /*repeats=*/true, [weak](Timer&) {
            if (auto self = weak.lock()) self->tick();
        });
    } else if (rate_ <= 0 && ticker_) {
        ticker_->invalidate();
        ticker_.reset();
    }
}

void SimulatedMediaPlayerItem::tick() {
    if (status_ != MediaPlayerItemStatus::ReadyToPlay) return;
    const auto& script = asset_->script();
    const double position = currentTime();
    if (script.failAt && position >= *script.failAt) return fail(script.failure, script.errorLog);
    if (script.stallAt && !stallDone_ && !bufferEmpty_ && position >= *script.stallAt) {
        anchorPosition_ = position;
        anchorTime_ = now();
        bufferEmpty_ = stallDone_ = true;
        observers_.notify("playbackBufferEmpty");
        std::weak_ptr<SimulatedMediaPlayerItem> weak = weak_from_this();
        delayed_.push_back(Platform::current().mainQueue().postAfter(script.stallDuration, [weak] {
            auto self = weak.lock();
            if (!self) return;
            self->anchorTime_ = self->now();
            self->bufferEmpty_ = false;
            self->observers_.notify("playbackLikelyToKeepUp");
        }));
        return;
    }
    observers_.notify("loadedTimeRanges");
    if (script.bitrateSwitchAt && position >= *script.bitrateSwitchAt && bitrate_ != script.switchedBitrate) {
        bitrate_ = script.switchedBitrate;
        observers_.notify("indicatedBitrate");
    }
    if (position >= script.duration) {
        if (ticker_) ticker_->invalidate();
        ticker_.reset();
        Platform::current().notificationCenter().post(kMediaPlayerItemDidPlayToEndTimeNotification,
                                                      static_cast<const MediaPlayerItem*>(this));
        if (auto reachedEnd = reachedEnd_) reachedEnd();
    }
}

void SimulatedMediaPlayerItem::fail(ErrorPtr error, std::string log) {
    status_ = MediaPlayerItemStatus::Failed;
    error_ = std::move(error);
    errorLog_ = std::move(log);
    observers_.notify("status");
}

void SimulatedMediaPlayerItem::seekToTime(double seconds, std::function<void(bool finished)> completion) {
    cancelPendingSeeks();
    seekTargets_.push_back(seconds);
    pendingSeek_ = std::move(completion);
    std::weak_ptr<SimulatedMediaPlayerItem> weak = weak_from_this();
    pendingSeekTask_ = Platform::current().mainQueue().postAfter(asset_->script().seekDelay, [weak, seconds] {
        auto self = weak.lock();
        if (!self) return;
        const bool landsAtZero = self->seeksLandingAtZero_ > 0;
        if (landsAtZero) --self->seeksLandingAtZero_;
        self->anchorPosition_ = landsAtZero ? 0 : std::clamp(seconds, 0.0, self->asset_->script().duration);
        self->anchorTime_ = self->now();
        if (auto done = std::exchange(self->pendingSeek_, nullptr)) done(true);
    });
}

void SimulatedMediaPlayerItem::cancelPendingSeeks() {
    pendingSeekTask_.cancel();
    if (auto overtaken = std::exchange(pendingSeek_, nullptr))
        Platform::current().mainQueue().post([overtaken] { overtaken(false); });
}

void SimulatedMediaPlayerItem::selectMediaOption(const std::optional<MediaSelectionOption>& option,
                                                 const MediaSelectionGroup& group) {
    selected_[group.characteristic] = option;
}

std::optional<MediaSelectionOption> SimulatedMediaPlayerItem::selectedMediaOption(
    const MediaSelectionGroup& group) const {
    auto it = selected_.find(group.characteristic);
    return it == selected_.end() ? std::nullopt : it->second;
}

std::optional<MediaVideoSize> SimulatedMediaPlayerItem::firstVideoTrackNaturalSize() const {
    return asset_->script().videoSize;
}

}  // namespace movra::test
