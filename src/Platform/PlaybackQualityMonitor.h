// PlaybackQualityMonitor: what a playback-quality service measures of one viewing, read from the media
// engine: the join time (from the session's start to the first moment of playing), rebuffering (how often
// and how long playback waited for data after it had joined), the time spent playing, the variant bitrate
// and its changes, and the item's failure. Each of these leaves as an event the moment it happens; summary()
// gives the totals for the session's end.
//
// Thread contract: main queue, like the player and item it observes. Times come from the platform's clock.
#pragma once

#include "Foundation/Json.h"
#include "Platform/MediaPlayer.h"
#include "Platform/MediaPlayerItem.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace movra {

class PlaybackQualityMonitor {
  public:
    /// Receives each measured event: {"type": ..., further fields}.
    using Sink = std::function<void(Json event)>;

    /// `startedAt`: the session's start on the clock's monotonic scale, where the join time is counted from.
    PlaybackQualityMonitor(double startedAt, Sink sink);
    ~PlaybackQualityMonitor();
    PlaybackQualityMonitor(const PlaybackQualityMonitor&) = delete;
    PlaybackQualityMonitor& operator=(const PlaybackQualityMonitor&) = delete;

    /// Watches `player` and its current item, instead of any watched before.
    void attach(std::shared_ptr<MediaPlayer> player);
    /// Stops watching and closes the time spent in the current state.
    void detach();
    /// {"joinTimeMs", "playingTimeMs", "rebufferingCount", "rebufferingTimeMs", "bitrateChanges",
    /// "bitrateBps", "playerFailed"}; the join time is null when playback never started.
    Json summary();

  private:
    enum class State {
        NotJoined,    // no picture yet: session set-up, loading, the first buffering
        Playing,      // the position moves
        Paused,       // stopped by the viewer after joining
        Rebuffering,  // asked to play after joining, waiting for data
        Failed,       // the item failed; nothing more is measured
    };
    using Registrations = std::vector<std::pair<std::string, MediaObservable::Token>>;

    void observe(MediaObservable& object, Registrations& registrations, const std::string& key);
    /// Reads the player and item and moves to the state they show.
    void update();
    void transition(State next);
    void bitrateChanged();
    /// Adds the time since the last transition to the counter of the state being left.
    void closeInterval();
    static double nowSeconds();
    static long long milliseconds(double seconds);

    const double startedAt_;
    const Sink sink_;
    /// Held by the observers: a notification already under way when the monitor goes (an earlier observer of
    /// the same key ended the viewing) still calls them, and they must not reach it.
    const std::shared_ptr<PlaybackQualityMonitor*> self_ = std::make_shared<PlaybackQualityMonitor*>(this);
    std::shared_ptr<MediaPlayer> player_;
    std::shared_ptr<MediaPlayerItem> item_;
    Registrations playerRegistrations_;
    Registrations itemRegistrations_;

    State state_ = State::NotJoined;
    double stateSince_;
    std::optional<double> joinTime_;
    double playingTime_ = 0;
    int rebufferingCount_ = 0;
    double rebufferingTime_ = 0;
    std::optional<double> bitrate_;
    int bitrateChanges_ = 0;
};

}  // namespace movra
