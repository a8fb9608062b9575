// MediaPlayer: plays one item. Observable keys: "rate", "externalPlaybackActive".
#pragma once

#include "Platform/MediaObservable.h"

#include <functional>
#include <memory>

namespace movra {

class MediaPlayerItem;

class MediaPlayer : public MediaObservable {
  public:
    virtual std::shared_ptr<MediaPlayerItem> currentItem() const = 0;
    virtual float rate() const = 0;
    virtual void setRate(float rate) = 0;
    void play() { setRate(1.0f); }
    void pause() { setRate(0.0f); }
    /// Seconds of the current item; 0 without one.
    virtual double currentTime() const = 0;
    virtual void seekToTime(double seconds, std::function<void(bool finished)> completion) = 0;
    /// There is no AirPlay on this machine: never active here, but kept for the callers that ask.
    virtual bool isExternalPlaybackActive() const = 0;
    virtual void setAllowsExternalPlayback(bool allows) = 0;
    virtual void setAppliesMediaSelectionCriteriaAutomatically(bool applies) = 0;
};

}  // namespace movra
