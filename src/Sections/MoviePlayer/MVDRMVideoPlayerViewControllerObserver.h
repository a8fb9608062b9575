// MVDRMVideoPlayerViewControllerObserver: what a front end without the screen's views shows of playback
// (the terminal's progress lines, a script's events). Alerts are not here: they reach the UiHost.
//
// Thread contract: called on the main queue.
#pragma once

#include "Foundation/Error.h"
#include "Platform/MediaSelectionGroup.h"

#include <string>

namespace movra {

class MVDRMVideoPlayerViewControllerObserver {
  public:
    virtual ~MVDRMVideoPlayerViewControllerObserver() = default;

    /// The session answered with a stream (again after a long pause).
    virtual void sessionOpened(const std::string& /*streamURL*/) {}
    /// The native player is ready at `position` seconds.
    virtual void playerSetupComplete(double /*position*/) {}
    /// The item's renditions are known; either group may be absent.
    virtual void tracksAvailable(const MediaSelectionGroupPtr& /*subtitles*/, const MediaSelectionGroupPtr& /*audio*/) {
    }
    virtual void bufferingChanged(bool /*buffering*/) {}
    /// A bookmark POST was answered.
    virtual void bookmarkSent(long long /*seconds*/, const ErrorPtr& /*error*/) {}
    /// A cue point at `position` seconds was reached.
    virtual void cuePointReached(double /*position*/) {}
    virtual void reachedEnd() {}
    /// The UI timer refreshed the controls (twice a second while the screen shows).
    virtual void playbackUIUpdated() {}
    /// A subtitle cue of the chosen language is due, from `start` to `end` seconds.
    virtual void subtitleCue(const std::string& /*text*/, double /*start*/, double /*end*/) {}
    /// The seek bar shows the picture of `seconds`: from the prefetched cache, or `loaded` over the network.
    virtual void seekThumbnailShown(double /*seconds*/, bool /*loaded*/) {}
    /// The session's DELETE with the final bookmark was answered.
    virtual void sessionClosed(long long /*seconds*/, const ErrorPtr& /*error*/) {}
};

}  // namespace movra
