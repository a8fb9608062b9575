// MVDRMVideoPlayerViewController: the full-screen player screen for native playback. It opens the title's
// streaming session, sets the native player up at the title's resume position, reports bookmarks every 30
// seconds and on pause, fires the session's cue points once each, turns every failure into at most one alert
// (dismissing it closes the player) and closes the session with the final bookmark when it is torn down.
//
// Thread contract: main queue. Player callbacks and session answers arrive there.
#pragma once

#include "Foundation/Error.h"
#include "Foundation/Timer.h"
#include "Model/MVCuePoint.h"
#include "Model/MVItem.h"
#include "Platform/AlertController.h"
#include "Platform/Image.h"
#include "Platform/NowPlaying.h"
#include "Platform/ViewController.h"
#include "Sections/MoviePlayer/MVConvivaController.h"
#include "Sections/MoviePlayer/MVDRMVideoPlayerViewControllerDelegate.h"
#include "Sections/MoviePlayer/MVDRMVideoPlayerViewControllerObserver.h"
#include "Sections/MoviePlayer/MVNativeVideoPlayer.h"
#include "Sections/MoviePlayer/MVVideoPlayerDelegate.h"
#include "Sections/MoviePlayer/SubtitleAndAudioCollectionViewController.h"
#include "Utilities/MVSeekCache.h"
#include "Utilities/XMLDocument.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace movra {

class MVDRMVideoPlayerViewController : public ViewController,
                                       public MVVideoPlayerDelegate,
                                       public SubtitleAndAudioCollectionViewControllerDelegate {
  public:
    /// currentVideoPlayerType.
    enum class PlayerType {
        None = 0,    // nothing set up yet
        Native = 1,  // MVNativeVideoPlayer on the device
        Cast = 2,    // the cast receiver
    };

    static constexpr double kBookmarkInterval = 30.0;
    static constexpr double kCuePointInterval = 1.0;
    /// A pause longer than this opens the session again before playing on.
    static constexpr double kSessionRenewalPause = 30.0;
    /// The tear-down's completion runs this long after the session's DELETE was answered.
    static constexpr double kTearDownCompletionDelay = 2.0;
    /// The controls hide themselves this long after the last touch.
    static constexpr double kHideControlsInterval = 6.0;
    static constexpr double kUiUpdateInterval = 0.5;
    /// A seek released closer than this to the end lands this far before it.
    static constexpr double kEndOfTitleMargin = 2.0;
    /// Chain-play countdown when the session names none.
    static constexpr long long kDefaultCountdownSeconds = 15;

    using SessionCompletion = std::function<void(std::optional<std::string> streamURL)>;

    std::string className() const override { return "MVDRMVideoPlayerViewController"; }
    std::string describe() const override;

    std::shared_ptr<MVDRMVideoPlayerViewControllerDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<MVDRMVideoPlayerViewControllerDelegate> delegate) {
        delegate_ = std::move(delegate);
    }
    std::shared_ptr<MVDRMVideoPlayerViewControllerObserver> observer() const { return observer_.lock(); }
    void setObserver(std::weak_ptr<MVDRMVideoPlayerViewControllerObserver> observer) {
        observer_ = std::move(observer);
    }

    /// Sets the item and opens its native session.
    void startPlaybackWithItem(std::shared_ptr<MVItem> item);
    /// The item, before the screen appears (its appearance starts playback).
    void setAssetItem(std::shared_ptr<MVItem> item) { assetItem_ = std::move(item); }

    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;

    // Session.
    void setupNativeSession();
    void setupNativeVideoPlayerAtURL(const std::string& url);
    /// Opens the session of the item's main media content; `completion` gets the stream URL on success
    /// only. Every failure is shown (or left to the sign-in handling) here.
    void setupSessionWithCompletion(SessionCompletion completion);
    /// Pauses, stores the final position, closes the session with it and drops the native player;
    /// `completion` runs 2.0 s after the close was answered (at once without a player or a session URL).
    void tearDownNativeSession(std::function<void()> completion);
    /// The generic failure alert; `serviceMayBeAtFault` picks the message.
    void showUnknownPlaybackError(bool serviceMayBeAtFault);

    // Bookmarks and cue points.
    void saveBookmarkForCurrentLocation();
    void startBookmarkTimer();
    void stopBookmarkTimer();
    void checkCuePoints();
    void startCuePointTimer();
    void stopCuePointTimer();

    // Playback.
    void play();
    void internalPlay();
    void pause();
    void playPauseTapped();
    void stopNativePlayback();
    /// Stops the timers, tears down, tells the delegate and leaves.
    void doneTapped();
    void tearDown(std::function<void()> completion);

    // Seek bar and controls.
    void seekBarTouched();
    void seekBarChanged(double value);
    /// Seeks to the bar's value, kept kEndOfTitleMargin before the end.
    void seekBarDoneSeeking();
    /// A tap on the picture: shows the controls, or hides them when shown.
    void tapGestureRecognizerTriggered();
    void startHideControlTimer();
    void cancelHideControlTimer();
    /// Refreshes what the controls show; the UI timer runs it twice a second.
    void updatePlaybackUI();

    // Now Playing and remote commands (media keys, desktop shells).
    void beginRemoteControlEvents();
    void endRemoteControlEvents();
    void setupNowPlaying(const MVItem& item, double position);
    void updateTime(double seconds);
    void updateRate(float rate);

    // Subtitles and audio.
    /// Pauses and presents the picker of the title's subtitles and audio tracks (nullptr without a player).
    std::shared_ptr<SubtitleAndAudioCollectionViewController> subtitleButtonTapped();
    /// Remembers the choice (subtitle language code, "" for none; audio track title) and applies it.
    void setSubtitle(const std::optional<std::string>& subtitle, const std::optional<std::string>& audioTrack);
    void subtitleAndAudioViewControllerDidSelect(SubtitleAndAudioCollectionViewController& picker,
                                                 const std::string& subtitle, const std::string& audioTrack) override;
    /// The account's "subtitle" setting as a choice: only a tenant's own code, never "none".
    static std::optional<std::string> subtitleFromAccountSetting(const std::optional<std::string>& setting);

    // Application and network.
    void appWillResignActive();
    /// Back from the background: the controls show and stay.
    void appBecameActive();
    void networkStatusChanged(bool reachable);

    /// "M:SS" below an hour, "H:MM:SS" from an hour on.
    static std::string timeStringFromSeconds(double seconds);

    // MVVideoPlayerDelegate
    void setBuffering(bool buffering) override;
    void playerRateChanged(float rate) override;
    void handleVideoError(const ErrorPtr& error) override;
    void playerSetupComplete(double position) override;
    void currentBufferedTime(double seconds) override;
    void durationChanged(double seconds) override;
    void externalPlaybackIsActive(bool active) override;
    void selectNativeSubtitleAndAudioTrack() override;
    void availableSubtitlesAndAudioTracksChanged(const MediaSelectionGroupPtr& subtitles,
                                                 const MediaSelectionGroupPtr& audioTracks) override;
    void playerReachedEnd() override;
    void externalPlaybackFailedToLoad() override { doneTapped(); }
    void retrySessionSetup() override;
    void cuePointHit(const std::string& guid, long long countdown) override;

    // State.
    const std::shared_ptr<MVItem>& assetItem() const { return assetItem_; }
    const std::shared_ptr<MVNativeVideoPlayer>& nativePlayer() const { return nativePlayer_; }
    const std::shared_ptr<MVVideoPlayer>& currentVideoPlayer() const { return currentVideoPlayer_; }
    PlayerType currentVideoPlayerType() const { return currentVideoPlayerType_; }
    int userPlayerState() const { return userPlayerState_; }
    bool isPrimaryViewController() const { return isPrimaryViewController_; }
    void setIsPrimaryViewController(bool primary) { isPrimaryViewController_ = primary; }
    bool startFromBeginning() const { return startFromBeginning_; }
    void setStartFromBeginning(bool fromBeginning) { startFromBeginning_ = fromBeginning; }
    const std::optional<std::string>& contentURL() const { return contentURL_; }
    const std::optional<std::string>& streamURL() const { return streamURL_; }
    const std::vector<std::shared_ptr<MVCuePoint>>& cuePoints() const { return cuePoints_; }
    long long countdownSeconds() const { return countdownSeconds_; }
    const std::shared_ptr<MVItem>& chainPlayItem() const { return chainPlayItem_; }
    const std::shared_ptr<AlertController>& errorAlert() const { return errorAlert_; }
    bool isTearingDown() const { return tearingDown_; }
    bool isBuffering() const { return buffering_; }
    /// Seconds of the title (the seek bar's maximum).
    double duration() const { return duration_; }
    /// Share of the title loaded, 0 to 1.
    double loadProgress() const { return loadProgress_; }
    double seekBarValue() const { return seekBarValue_; }
    bool isUserSeeking() const { return isUserSeeking_; }
    bool waitingForSeekToNormalize() const { return waitingForSeekToNormalize_; }
    bool controlsHidden() const { return controlsHidden_; }
    const std::shared_ptr<MVSeekCache>& seekCache() const { return seekCache_; }
    /// The still picture the seek bar shows while it is held (nullptr when there is none yet).
    const ImagePtr& seekThumbnail() const { return seekThumbnail_; }
    bool seekThumbnailShown() const { return seekThumbnailShown_; }
    const std::unique_ptr<MVConvivaController>& convivaController() const { return convivaController_; }

  private:
    std::weak_ptr<MVDRMVideoPlayerViewController> weakSelf();
    bool nativeIsCurrent() const;
    std::optional<std::string> mainMediaContentURL() const;
    /// An error alert with one "OK" button that closes the player, kept as errorAlert.
    void showErrorAlert(const std::string& title, const std::string& message);
    void sessionAnswered(const ErrorPtr& error, const XMLDocumentPtr& document, const SessionCompletion& completion);
    void sessionFailed(const ErrorPtr& error, const XMLDocumentPtr& document);
    /// Reads the account's subtitle and audio settings and applies them.
    void applyAccountTrackSettings();
    bool hasFired(const MVCuePoint& cuePoint) const;
    /// Ends the playback-quality session with `reason` (when one is open) and drops its controller.
    void endQualitySession(const std::string& reason);
    /// Ends the playback-quality session plainly and drops its controller.
    void dropQualitySession();
    void showSeekThumbnail(ImagePtr image, double seconds, bool loaded);
    /// Makes the seek cache and starts its prefetch, once the duration is known and the player set up.
    void startSeekCache();
    void stopTimers();

    std::weak_ptr<MVDRMVideoPlayerViewControllerDelegate> delegate_;
    std::weak_ptr<MVDRMVideoPlayerViewControllerObserver> observer_;
    std::shared_ptr<MVItem> assetItem_;
    std::optional<std::string> contentURL_;
    std::optional<std::string> streamURL_;
    std::shared_ptr<MVNativeVideoPlayer> nativePlayer_;
    std::shared_ptr<MVVideoPlayer> currentVideoPlayer_;
    PlayerType currentVideoPlayerType_ = PlayerType::None;
    int userPlayerState_ = 0;
    bool isUserSeeking_ = false;
    bool isPrimaryViewController_ = true;
    bool startFromBeginning_ = false;
    bool tearingDown_ = false;
    bool buffering_ = false;
    double duration_ = 0;
    double loadProgress_ = 0;
    double seekBarValue_ = 0;
    bool waitingForSeekToNormalize_ = false;
    bool controlsHidden_ = false;
    /// The viewer chose tracks since the screen loaded: the account's (older) choice must not undo it.
    bool trackChoiceMade_ = false;
    /// What Now Playing shows, kept current on rate changes and seeks.
    std::optional<NowPlayingInfo> nowPlaying_;
    TimerPtr hideControlsTimer_;
    TimerPtr uiUpdateTimer_;
    /// Monotonic seconds of the last user pause.
    std::optional<double> lastPauseTime_;
    std::shared_ptr<AlertController> errorAlert_;
    TimerPtr bookmarkTimer_;
    TimerPtr cuePointTimer_;
    std::vector<std::shared_ptr<MVCuePoint>> cuePoints_;
    std::vector<MVCuePoint> firedCuePoints_;
    long long countdownSeconds_ = kDefaultCountdownSeconds;
    std::shared_ptr<MVItem> chainPlayItem_;
    std::shared_ptr<MVSeekCache> seekCache_;
    ImagePtr seekThumbnail_;
    bool seekThumbnailShown_ = false;
    std::unique_ptr<MVConvivaController> convivaController_;
    bool externalPlaybackActive_ = false;
    bool playerSetUp_ = false;
};

}  // namespace movra
