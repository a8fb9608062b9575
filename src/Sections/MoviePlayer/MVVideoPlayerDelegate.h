// MVVideoPlayerDelegate: what a video player tells the player screen. Every method is optional: each has an
// empty default, and a player asks respondsTo() before it sends one, because the native player acts
// differently for a delegate that does not answer externalPlaybackIsActive(). A delegate answers every
// method unless it says otherwise.
//
// Thread contract: players call it on the main queue.
#pragma once

#include "Foundation/Error.h"
#include "Platform/MediaSelectionGroup.h"

#include <string>

namespace movra {

class MVVideoPlayerDelegate {
  public:
    /// The methods of the protocol, in its order.
    enum class Method {
        PlayerPaused,
        PlayerIsPlaying,
        PlayerIsSeeking,
        PlayerRateChanged,
        SetBuffering,
        HandleVideoError,
        PlayerSetupComplete,
        CurrentBufferedTime,
        PlaybackPositionChanged,
        DurationChanged,
        ExternalPlaybackIsActive,
        SelectNativeSubtitleAndAudioTrack,
        AvailableSubtitlesAndAudioTracksChanged,
        PlayerTrackInformationChanged,
        PlayerReachedEnd,
        ExternalPlaybackFailedToLoad,
        RetrySessionSetup,
        AssetItemDidChange,
        CuePointHit,
        ChainPlayDidDismiss,
    };

    virtual ~MVVideoPlayerDelegate() = default;

    /// Whether the delegate answers `method` (respondsToSelector:).
    virtual bool respondsTo(Method /*method*/) const { return true; }

    /// Declared; no player sends it.
    virtual void playerPaused() {}
    virtual void playerIsPlaying() {}
    virtual void playerIsSeeking() {}
    virtual void playerRateChanged(float /*rate*/) {}
    virtual void setBuffering(bool /*buffering*/) {}
    virtual void handleVideoError(const ErrorPtr& /*error*/) {}
    virtual void playerSetupComplete(double /*position*/) {}
    virtual void currentBufferedTime(double /*seconds*/) {}
    virtual void playbackPositionChanged(double /*seconds*/) {}
    virtual void durationChanged(double /*seconds*/) {}
    virtual void externalPlaybackIsActive(bool /*active*/) {}
    virtual void selectNativeSubtitleAndAudioTrack() {}
    /// availableSubtitlesAndAudioTracksChanged:withAudioTracks:; either group may be absent.
    virtual void availableSubtitlesAndAudioTracksChanged(const MediaSelectionGroupPtr& /*subtitles*/,
                                                         const MediaSelectionGroupPtr& /*audioTracks*/) {}
    virtual void playerTrackInformationChanged() {}
    virtual void playerReachedEnd() {}
    virtual void externalPlaybackFailedToLoad() {}
    virtual void retrySessionSetup() {}
    /// The guid of the item now playing.
    virtual void assetItemDidChange(const std::string& /*guid*/) {}
    /// cuePointHit:withCountdown: the guid of the next item and the countdown's seconds.
    virtual void cuePointHit(const std::string& /*guid*/, long long /*countdown*/) {}
    virtual void chainPlayDidDismiss() {}
};

}  // namespace movra
