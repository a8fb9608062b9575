// MVDRMVideoPlayerViewControllerDelegate: what the player screen tells the screen that presents it (the
// playback container): the chain-play offer at a cue point and the end of playback.
//
// Thread contract: called on the main queue.
#pragma once

#include <memory>

namespace movra {

class MVItem;

class MVDRMVideoPlayerViewControllerDelegate {
  public:
    virtual ~MVDRMVideoPlayerViewControllerDelegate() = default;

    /// cuePointHit:withCountdown: the item to offer next (none when the store has no such title) and the
    /// seconds of the countdown.
    virtual void cuePointHit(const std::shared_ptr<MVItem>& /*item*/, long long /*countdown*/) {}
    /// The player closed: the presenting screen takes it away.
    virtual void dismissPlayer() {}
};

}  // namespace movra
