#include "Platform/PlaybackQualityMonitor.h"

#include "Platform/Platform.h"

#include <cmath>

namespace movra {

PlaybackQualityMonitor::PlaybackQualityMonitor(double startedAt, Sink sink)
    : startedAt_(startedAt), sink_(std::move(sink)), stateSince_(startedAt) {}

PlaybackQualityMonitor::~PlaybackQualityMonitor() { detach(); }

double PlaybackQualityMonitor::nowSeconds() { return Platform::current().clock().monotonicSeconds(); }

long long PlaybackQualityMonitor::milliseconds(double seconds) { return std::llround(seconds * 1000); }

void PlaybackQualityMonitor::attach(std::shared_ptr<MediaPlayer> player) {
    detach();
    player_ = std::move(player);
    if (!player_) return;
    item_ = player_->currentItem();
    observe(*player_, playerRegistrations_, "rate");
    if (item_) {
        for (const char* key : {"status", "playbackBufferEmpty", "playbackLikelyToKeepUp"})
            observe(*item_, itemRegistrations_, key);
        itemRegistrations_.emplace_back("indicatedBitrate",
                                        item_->addObserver("indicatedBitrate", [self = std::weak_ptr(self_)] {
                                            if (auto monitor = self.lock()) (*monitor)->bitrateChanged();
                                        }));
    }
    bitrateChanged();
    update();
}

void PlaybackQualityMonitor::observe(MediaObservable& object, Registrations& registrations, const std::string& key) {
    registrations.emplace_back(key, object.addObserver(key, [self = std::weak_ptr(self_)] {
        if (auto monitor = self.lock()) (*monitor)->update();
    }));
}

void PlaybackQualityMonitor::detach() {
    if (!player_) return;
    closeInterval();
    for (const auto& [key, token] : playerRegistrations_) player_->removeObserver(key, token);
    if (item_)
        for (const auto& [key, token] : itemRegistrations_) item_->removeObserver(key, token);
    playerRegistrations_.clear();
    itemRegistrations_.clear();
    player_.reset();
    item_.reset();
}

void PlaybackQualityMonitor::update() {
    if (state_ == State::Failed || !player_) return;
    if (item_ && item_->status() == MediaPlayerItemStatus::Failed) {
        auto error = item_->error();
        sink_({{"type", "playerError"}, {"text", error ? error->localizedDescription : std::string("failed")}});
        return transition(State::Failed);
    }
    const bool wantsToPlay = player_->rate() > 0;
    const bool hasData = item_ && item_->status() == MediaPlayerItemStatus::ReadyToPlay &&
                         !item_->isPlaybackBufferEmpty() && item_->isPlaybackLikelyToKeepUp();
    if (!joinTime_) {
        if (wantsToPlay && hasData) transition(State::Playing);
    } else if (!wantsToPlay) {
        transition(State::Paused);
    } else {
        transition(hasData ? State::Playing : State::Rebuffering);
    }
}

void PlaybackQualityMonitor::transition(State next) {
    if (next == state_) return;
    closeInterval();
    const State previous = state_;
    state_ = next;
    if (next == State::Playing && !joinTime_) {
        joinTime_ = nowSeconds() - startedAt_;
        sink_({{"type", "join"}, {"joinTimeMs", milliseconds(*joinTime_)}});
    }
    if (next == State::Rebuffering) {
        ++rebufferingCount_;
        sink_({{"type", "rebufferingStart"}});
    }
    if (previous == State::Rebuffering) sink_({{"type", "rebufferingEnd"}});
}

void PlaybackQualityMonitor::closeInterval() {
    const double now = nowSeconds();
    const double spent = now - stateSince_;
    if (state_ == State::Playing) playingTime_ += spent;
    if (state_ == State::Rebuffering) rebufferingTime_ += spent;
    stateSince_ = now;
}

void PlaybackQualityMonitor::bitrateChanged() {
    const auto bitrate = item_ ? item_->indicatedBitrate() : std::nullopt;
    if (!bitrate || bitrate == bitrate_) return;
    Json event = {{"type", "bitrate"}, {"bitrateBps", *bitrate}};
    if (bitrate_) {
        ++bitrateChanges_;
        event["previousBps"] = *bitrate_;
    }
    bitrate_ = bitrate;
    sink_(std::move(event));
}

Json PlaybackQualityMonitor::summary() {
    closeInterval();
    return {{"joinTimeMs", joinTime_ ? Json(milliseconds(*joinTime_)) : Json()},
            {"playingTimeMs", milliseconds(playingTime_)},
            {"rebufferingCount", rebufferingCount_},
            {"rebufferingTimeMs", milliseconds(rebufferingTime_)},
            {"bitrateChanges", bitrateChanges_},
            {"bitrateBps", bitrate_ ? Json(*bitrate_) : Json()},
            {"playerFailed", state_ == State::Failed}};
}

}  // namespace movra
