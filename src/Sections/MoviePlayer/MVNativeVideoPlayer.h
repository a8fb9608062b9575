// MVNativeVideoPlayer: plays the protected HLS stream on the device through the platform's MediaEngine. It
// loads the asset (with the key-exchange delegate on the "DRM Queue"), makes the item, player and layer,
// seeks to the start position (retrying while the seek lands at 0), and turns what the engine reports into
// the delegate's callbacks.
//
// Thread contract: main queue. Everything the engine reports already arrives there; the DRM error comes on the
// "DRM Queue" and is moved to the main queue before the delegate hears of it.
#pragma once

#include "DRM/MVDRMErrorHandler.h"
#include "DRM/MVTavikAssetLoaderDelegate.h"
#include "Foundation/NotificationCenter.h"
#include "Foundation/RunLoop.h"
#include "Platform/MediaEngine.h"
#include "Sections/MoviePlayer/MVVideoPlayer.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace movra {

/// Defaults keys of the last track choice (written by the track picker).
inline constexpr const char* MVLastSelectedSubtitleKey = "MVLastSelectedSubtitleKey";
inline constexpr const char* MVLastSelectedAudioTrackKey = "MVLastSelectedAudioTrackKey";

class MVNativeVideoPlayer final : public MVVideoPlayer, public MVDRMErrorHandler {
  public:
    /// Model of the device on which nothing plays.
    static constexpr const char* kSimulatorModel = "iPhone Simulator";
    /// Retries of a start-position seek that keeps landing at 0, and the pause before each.
    static constexpr int kMaxInitialSeekRetries = 7;
    static constexpr double kInitialSeekRetryDelay = 2.0;
    /// A start position closer than this to the end plays from the beginning.
    static constexpr double kMinimumTimeLeftForInitialSeek = 5.0;
    /// Delay before the last track choice is applied again after an external-playback check.
    static constexpr double kTrackChoiceDelay = 5.0;

    MVNativeVideoPlayer();
    ~MVNativeVideoPlayer() override;

    // MVVideoPlayer
    bool isPlaying() const override;
    double duration() const override;
    double currentPosition() const override;
    double bufferPosition() const override;
    float rate() const override;
    void setRate(float rate) override;
    bool externalPlaybackActive() const override;
    bool videoIsZoomable() const override;
    /// The native player ignores the title, subtitle, thumbnail URL and item.
    bool setupVideoSessionWithURL(const std::string& url, const std::string& guid, const std::string& title,
                                  const std::string& subtitle, const std::optional<std::string>& thumbnailURL,
                                  double initialPosition, bool autoPlay, std::shared_ptr<MVItem> item) override;
    void tearDownSession() override;
    void play() override;
    void pause() override;
    /// Seeks the current item to the whole second below `seconds`.
    void seekToTime(double seconds, std::function<void(bool finished)> completion) override;
    void cancelPendingSeeks() override;
    void setZoomedIn(bool zoomedIn) override;
    void updateZoomForOrientation(InterfaceOrientation orientation) override;

    // MVDRMErrorHandler: on the "DRM Queue".
    void drmErrorOccurred(const ErrorPtr& error) override;

    /// selectMediaOption:inMediaSelectionGroup: on the current item.
    void selectMediaOption(const std::optional<MediaSelectionOption>& option, const MediaSelectionGroup& group);
    /// The layer shows the fill gravity.
    bool videoIsZoomed() const;
    /// removeKeyValueObservers: the player's two registrations and the item's six; a registration the engine
    /// no longer knows ends the removals of that object.
    void removeKeyValueObservers();

    /// Whether a host view is set: the layer is shown in it once made.
    bool hasPlayerLayerView() const { return hasPlayerLayerView_; }
    void setHasPlayerLayerView(bool has) { hasPlayerLayerView_ = has; }
    const std::shared_ptr<MediaPlayerLayer>& playerLayer() const { return playerLayer_; }
    const std::shared_ptr<MediaPlayer>& player() const { return player_; }
    const MediaSelectionGroupPtr& subtitleGroup() const { return subtitleGroup_; }
    const MediaSelectionGroupPtr& audioGroup() const { return audioGroup_; }
    bool isShuttingDown() const { return isShuttingDown_; }
    bool initialSeekComplete() const { return initialSeekComplete_; }
    int seekRetryCount() const { return seekRetryCount_; }
    bool durationAvailable() const { return durationAvailable_; }
    const std::shared_ptr<MediaAsset>& currentAsset() const { return currentAsset_; }
    const std::shared_ptr<MVTavikAssetLoaderDelegate>& drmDelegate() const { return drmDelegate_; }

  private:
    using Registrations = std::vector<std::pair<std::string, MediaObservable::Token>>;

    std::weak_ptr<MVNativeVideoPlayer> weakSelf();
    std::shared_ptr<MediaPlayerItem> currentItem() const;
    void initializeVideoPlayerWithInitialPosition(double initialPosition, bool autoPlay);
    void seekToInitialTime(double position, bool autoPlay);
    void postSeekVideoInitialization(bool autoPlay);
    void addKeyValueObservers();
    /// Removes `registrations` from `object` in order, stopping at the first one the engine does not know.
    static void removeRegistrations(MediaObservable& object, Registrations& registrations);
    void observe(MediaObservable& object, Registrations& registrations, const std::string& key,
                 void (MVNativeVideoPlayer::*handler)());

    void rateChanged();
    void tracksChanged();
    void statusChanged();
    void durationChangedOnItem();
    void loadedTimeRangesChanged();
    void playbackBufferEmptyChanged();
    void playbackLikelyToKeepUpChanged();
    void externalPlaybackIsActive();
    void reapplyLastTrackChoice();
    void playerItemDidReachEnd();
    void applyGravity(const std::string& gravity);

    RunLoopHandle mainQueue_;
    bool hasPlayerLayerView_ = false;
    std::shared_ptr<MediaPlayerLayer> playerLayer_;
    std::shared_ptr<MediaPlayer> player_;
    MediaSelectionGroupPtr subtitleGroup_;
    MediaSelectionGroupPtr audioGroup_;
    bool isShuttingDown_ = false;
    bool initialSeekComplete_ = false;
    int seekRetryCount_ = 0;
    bool durationAvailable_ = false;
    std::shared_ptr<MediaAsset> currentAsset_;
    std::shared_ptr<MVTavikAssetLoaderDelegate> drmDelegate_;

    // The objects observed and their registrations, kept so they can be removed from the same objects.
    std::shared_ptr<MediaPlayer> observedPlayer_;
    std::shared_ptr<MediaPlayerItem> observedItem_;
    Registrations playerRegistrations_;
    Registrations itemRegistrations_;
    ScopedObserver endObserver_;
    // Continuations waiting in virtual or real time; cancelled at tear-down.
    std::vector<DelayedTask> delayed_;
};

}  // namespace movra
