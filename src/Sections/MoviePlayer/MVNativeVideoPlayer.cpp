#include "Sections/MoviePlayer/MVNativeVideoPlayer.h"

#include "DRM/MVDRMQueue.h"
#include "Foundation/Log.h"
#include "Platform/Platform.h"
#include "Sections/MoviePlayer/MVMediaSelectionOptionHelper.h"

#include <cmath>

namespace movra {

namespace {

using Method = MVVideoPlayerDelegate::Method;

/// Rounded half away from zero to two decimals.
double roundedToHundredths(double value) { return std::round(value * 100) / 100; }

}  // namespace

MVNativeVideoPlayer::MVNativeVideoPlayer() : mainQueue_(Platform::current().mainQueue().handle()) {}

MVNativeVideoPlayer::~MVNativeVideoPlayer() {
    for (auto& task : delayed_) task.cancel();
}

std::weak_ptr<MVNativeVideoPlayer> MVNativeVideoPlayer::weakSelf() {
    return std::static_pointer_cast<MVNativeVideoPlayer>(shared_from_this());
}

std::shared_ptr<MediaPlayerItem> MVNativeVideoPlayer::currentItem() const {
    return player_ ? player_->currentItem() : nullptr;
}

// ---- properties ----

bool MVNativeVideoPlayer::isPlaying() const { return player_ && player_->rate() > 0; }

double MVNativeVideoPlayer::duration() const {
    auto item = currentItem();
    return item ? item->duration().value_or(0) : 0;
}

double MVNativeVideoPlayer::currentPosition() const { return player_ ? player_->currentTime() : 0; }

double MVNativeVideoPlayer::bufferPosition() const {
    auto item = currentItem();
    if (!item) return 0;
    auto ranges = item->loadedTimeRanges();
    return ranges.empty() ? 0 : ranges.back().start + ranges.back().duration;
}

float MVNativeVideoPlayer::rate() const { return player_ ? player_->rate() : 0; }

void MVNativeVideoPlayer::setRate(float rate) {
    if (player_) player_->setRate(rate);
}

bool MVNativeVideoPlayer::externalPlaybackActive() const { return player_ && player_->isExternalPlaybackActive(); }

// ---- set-up ----

bool MVNativeVideoPlayer::setupVideoSessionWithURL(const std::string& url, const std::string& guid,
                                                   const std::string& /*title*/, const std::string& /*subtitle*/,
                                                   const std::optional<std::string>& /*thumbnailURL*/,
                                                   double initialPosition, bool autoPlay,
                                                   std::shared_ptr<MVItem> /*item*/) {
    isShuttingDown_ = false;
    drmDelegate_ = std::make_shared<MVTavikAssetLoaderDelegate>();
    drmDelegate_->setDrmErrorHandler(std::static_pointer_cast<MVNativeVideoPlayer>(shared_from_this()));
    drmDelegate_->setAssetId(guid);
    currentAsset_ = Platform::current().mediaEngine().makeAsset(url);
    currentAsset_->setResourceLoaderDelegate(drmDelegate_, MVDRMQueue::shared());
    currentAsset_->loadValuesAsynchronously(
        {"tracks", "playable", "duration"}, [weak = weakSelf(), initialPosition, autoPlay] {
            auto self = weak.lock();
            if (!self || self->isShuttingDown_) return;
            self->initializeVideoPlayerWithInitialPosition(initialPosition, autoPlay);
        });
    return true;
}

void MVNativeVideoPlayer::initializeVideoPlayerWithInitialPosition(double initialPosition, bool autoPlay) {
    setCurrentLandscapeAspectSize(kMediaLayerVideoGravityResizeAspect);
    initialSeekComplete_ = false;
    seekRetryCount_ = 0;
    auto& platform = Platform::current();
    if (platform.device().localizedModel() == kSimulatorModel) return;

    ErrorPtr loadingError;
    if (currentAsset_->statusOfValue("tracks", &loadingError) != MediaKeyValueStatus::Loaded) {
        Log::error("Video playback failed: {}", loadingError ? loadingError->summary() : "(null)");
        sendToDelegate(Method::HandleVideoError, [&](auto& d) { d.handleVideoError(loadingError); });
        return;
    }

    auto& engine = platform.mediaEngine();
    auto item = engine.makePlayerItem(currentAsset_);
    player_ = engine.makePlayer(item);
    // No second screen exists here, so external playback stays off.
    player_->setAllowsExternalPlayback(false);
    player_->setAppliesMediaSelectionCriteriaAutomatically(false);
    playerLayer_ = engine.makePlayerLayer(player_);
    if (hasPlayerLayerView_) playerLayer_->setInHostView(true);

    addKeyValueObservers();
    auto& center = platform.notificationCenter();
    endObserver_ = ScopedObserver(center, center.addObserver(kMediaPlayerItemDidPlayToEndTimeNotification,
                                                             [weak = weakSelf()](const Notification&) {
                                                                 if (auto self = weak.lock())
                                                                     self->playerItemDidReachEnd();
                                                             }));

    durationAvailable_ = true;
    const double assetDuration = currentAsset_->duration();
    sendToDelegate(Method::DurationChanged, [&](auto& d) { d.durationChanged(assetDuration); });

    if (initialPosition > 0 && assetDuration - initialPosition >= kMinimumTimeLeftForInitialSeek) {
        externalPlaybackIsActive();
        seekToInitialTime(initialPosition, autoPlay);
    } else {
        postSeekVideoInitialization(autoPlay);
    }
}

void MVNativeVideoPlayer::seekToInitialTime(double position, bool autoPlay) {
    setIsSeeking(true);
    if (seekRetryCount_ > kMaxInitialSeekRetries || initialSeekComplete_ || !player_) {
        initialSeekComplete_ = true;
        setIsSeeking(false);
        postSeekVideoInitialization(autoPlay);
        return;
    }
    player_->seekToTime(std::trunc(position), [weak = weakSelf(), position, autoPlay](bool finished) {
        auto self = weak.lock();
        if (!self || !finished || !self->player_) return;
        auto item = self->currentItem();
        const bool landedAtStart = item && item->currentTime() == 0.0;
        if (landedAtStart && self->seekRetryCount_ < kMaxInitialSeekRetries && !self->initialSeekComplete_) {
            ++self->seekRetryCount_;
            // A seek issued before the stream is ready lands at 0; trying again later reaches the position.
            self->delayed_.push_back(
                Platform::current().mainQueue().postAfter(kInitialSeekRetryDelay, [weak, position, autoPlay] {
                    auto again = weak.lock();
                    if (again && !again->isShuttingDown_) again->seekToInitialTime(position, autoPlay);
                }));
            return;
        }
        self->initialSeekComplete_ = true;
        self->setIsSeeking(false);
        self->postSeekVideoInitialization(autoPlay);
    });
}

void MVNativeVideoPlayer::postSeekVideoInitialization(bool autoPlay) {
    if (!player_) return;
    if (autoPlay)
        player_->play();
    else
        sendToDelegate(Method::PlayerRateChanged, [](auto& d) { d.playerRateChanged(0); });
    externalPlaybackIsActive();
    const double position = player_->currentTime();
    sendToDelegate(Method::PlayerSetupComplete, [&](auto& d) { d.playerSetupComplete(position); });
}

// ---- observers ----

void MVNativeVideoPlayer::observe(MediaObservable& object, Registrations& registrations, const std::string& key,
                                  void (MVNativeVideoPlayer::*handler)()) {
    auto token = object.addObserver(key, [weak = weakSelf(), handler] {
        if (auto self = weak.lock()) ((*self).*handler)();
    });
    registrations.emplace_back(key, token);
}

void MVNativeVideoPlayer::addKeyValueObservers() {
    observedPlayer_ = player_;
    observedItem_ = currentItem();
    observe(*observedPlayer_, playerRegistrations_, "rate", &MVNativeVideoPlayer::rateChanged);
    observe(*observedPlayer_, playerRegistrations_, "externalPlaybackActive",
            &MVNativeVideoPlayer::externalPlaybackIsActive);
    if (!observedItem_) return;
    observe(*observedItem_, itemRegistrations_, "status", &MVNativeVideoPlayer::statusChanged);
    observe(*observedItem_, itemRegistrations_, "tracks", &MVNativeVideoPlayer::tracksChanged);
    observe(*observedItem_, itemRegistrations_, "duration", &MVNativeVideoPlayer::durationChangedOnItem);
    observe(*observedItem_, itemRegistrations_, "loadedTimeRanges", &MVNativeVideoPlayer::loadedTimeRangesChanged);
    observe(*observedItem_, itemRegistrations_, "playbackBufferEmpty",
            &MVNativeVideoPlayer::playbackBufferEmptyChanged);
    observe(*observedItem_, itemRegistrations_, "playbackLikelyToKeepUp",
            &MVNativeVideoPlayer::playbackLikelyToKeepUpChanged);
}

void MVNativeVideoPlayer::removeRegistrations(MediaObservable& object, Registrations& registrations) {
    for (const auto& [key, token] : registrations)
        if (!object.removeObserver(key, token)) break;
    registrations.clear();
}

void MVNativeVideoPlayer::removeKeyValueObservers() {
    if (observedPlayer_) removeRegistrations(*observedPlayer_, playerRegistrations_);
    if (observedItem_) removeRegistrations(*observedItem_, itemRegistrations_);
}

// ---- handlers ----

void MVNativeVideoPlayer::rateChanged() {
    if (!player_) return;
    const float rate = player_->rate();
    sendToDelegate(Method::PlayerRateChanged, [&](auto& d) { d.playerRateChanged(rate); });
    tracksChanged();
}

void MVNativeVideoPlayer::tracksChanged() {
    if (!currentAsset_) return;
    subtitleGroup_ = currentAsset_->mediaSelectionGroup(MediaCharacteristic::Legible);
    audioGroup_ = currentAsset_->mediaSelectionGroup(MediaCharacteristic::Audible);
    if (subtitleGroup_ || (audioGroup_ && audioGroup_->options.size() > 1)) {
        sendToDelegate(Method::SelectNativeSubtitleAndAudioTrack,
                       [](auto& d) { d.selectNativeSubtitleAndAudioTrack(); });
        sendToDelegate(Method::AvailableSubtitlesAndAudioTracksChanged,
                       [&](auto& d) { d.availableSubtitlesAndAudioTracksChanged(subtitleGroup_, audioGroup_); });
    } else {
        sendToDelegate(Method::AvailableSubtitlesAndAudioTracksChanged,
                       [](auto& d) { d.availableSubtitlesAndAudioTracksChanged(nullptr, nullptr); });
    }
    sendToDelegate(Method::PlayerTrackInformationChanged, [](auto& d) { d.playerTrackInformationChanged(); });
}

void MVNativeVideoPlayer::statusChanged() {
    auto item = currentItem();
    if (!item) return;
    if (item->status() == MediaPlayerItemStatus::ReadyToPlay && player_->rate() > 0) {
        if (isSeeking()) {
            sendToDelegate(Method::PlayerIsSeeking, [](auto& d) { d.playerIsSeeking(); });
        } else {
            player_->play();
            sendToDelegate(Method::PlayerIsPlaying, [](auto& d) { d.playerIsPlaying(); });
        }
    }
    if (item->status() == MediaPlayerItemStatus::Failed) {
        Log::error("Player Item error {}", item->errorLog());
        auto error = item->error();
        sendToDelegate(Method::HandleVideoError, [&](auto& d) { d.handleVideoError(error); });
    }
}

void MVNativeVideoPlayer::durationChangedOnItem() {
    auto item = currentItem();
    auto seconds = item ? item->duration() : std::nullopt;
    if (!seconds) return;  // indefinite
    const double whole = std::trunc(*seconds);
    sendToDelegate(Method::DurationChanged, [&](auto& d) { d.durationChanged(whole); });
}

void MVNativeVideoPlayer::loadedTimeRangesChanged() {
    auto item = currentItem();
    if (!item) return;
    auto ranges = item->loadedTimeRanges();
    if (ranges.empty()) return;
    const double end = ranges.back().start + ranges.back().duration;
    sendToDelegate(Method::CurrentBufferedTime, [&](auto& d) { d.currentBufferedTime(end); });
}

void MVNativeVideoPlayer::playbackBufferEmptyChanged() {
    if (isSeeking()) return;
    auto item = currentItem();
    if (item && item->isPlaybackBufferEmpty())
        sendToDelegate(Method::SetBuffering, [](auto& d) { d.setBuffering(true); });
}

void MVNativeVideoPlayer::playbackLikelyToKeepUpChanged() {
    sendToDelegate(Method::SetBuffering, [](auto& d) { d.setBuffering(false); });
}

void MVNativeVideoPlayer::externalPlaybackIsActive() {
    auto delegate = playerDelegate();
    if (!delegate || !delegate->respondsTo(Method::ExternalPlaybackIsActive) || !player_) return;
    auto item = currentItem();
    const bool active = player_->isExternalPlaybackActive();
    if (active && item && item->isPlaybackBufferEmpty()) {
        sendToDelegate(Method::SetBuffering, [](auto& d) { d.setBuffering(true); });
    }
    delayed_.push_back(Platform::current().mainQueue().postAfter(kTrackChoiceDelay, [weak = weakSelf()] {
        if (auto self = weak.lock()) self->reapplyLastTrackChoice();
    }));
    delegate->externalPlaybackIsActive(active);
}

void MVNativeVideoPlayer::reapplyLastTrackChoice() {
    auto item = currentItem();
    if (!item || !currentAsset_) return;
    subtitleGroup_ = currentAsset_->mediaSelectionGroup(MediaCharacteristic::Legible);
    audioGroup_ = currentAsset_->mediaSelectionGroup(MediaCharacteristic::Audible);
    auto& defaults = Platform::current().defaults();
    if (auto language = defaults.stringForKey(MVLastSelectedSubtitleKey); language && subtitleGroup_) {
        for (const auto& option : subtitleGroup_->options) {
            if (MVMediaSelectionOptionHelper::mvtk_languageCode(option) == *language) {
                item->selectMediaOption(option, *subtitleGroup_);
                break;
            }
        }
    }
    if (auto title = defaults.stringForKey(MVLastSelectedAudioTrackKey); title && audioGroup_) {
        for (const auto& option : audioGroup_->options) {
            if (MVMediaSelectionOptionHelper::title(option) == *title) {
                item->selectMediaOption(option, *audioGroup_);
                break;
            }
        }
    }
}

void MVNativeVideoPlayer::playerItemDidReachEnd() {
    sendToDelegate(Method::PlayerReachedEnd, [](auto& d) { d.playerReachedEnd(); });
}

void MVNativeVideoPlayer::drmErrorOccurred(const ErrorPtr& error) {
    mainQueue_.post([weak = weakSelf(), error] {
        auto self = weak.lock();
        if (!self) return;
        self->removeKeyValueObservers();
        self->sendToDelegate(Method::HandleVideoError, [&](auto& d) { d.handleVideoError(error); });
    });
}

// ---- control ----

void MVNativeVideoPlayer::play() {
    if (player_) player_->play();
}

void MVNativeVideoPlayer::pause() {
    if (player_) player_->pause();
}

void MVNativeVideoPlayer::seekToTime(double seconds, std::function<void(bool finished)> completion) {
    auto item = currentItem();
    if (!item) {
        if (completion) completion(false);
        return;
    }
    item->seekToTime(std::trunc(seconds), [weak = weakSelf(), completion](bool finished) {
        if (auto self = weak.lock()) self->setIsSeeking(false);
        if (completion) completion(finished);
    });
}

void MVNativeVideoPlayer::cancelPendingSeeks() {
    if (auto item = currentItem()) item->cancelPendingSeeks();
}

void MVNativeVideoPlayer::selectMediaOption(const std::optional<MediaSelectionOption>& option,
                                            const MediaSelectionGroup& group) {
    if (auto item = currentItem()) item->selectMediaOption(option, group);
}

// ---- zoom ----

bool MVNativeVideoPlayer::videoIsZoomable() const {
    auto item = currentItem();
    auto size = item ? item->firstVideoTrackNaturalSize() : std::nullopt;
    if (!size || size->width == 0 || size->height == 0) return false;
    const auto screen = Platform::current().device().mainScreenBounds();
    if (screen.width == 0) return false;
    return roundedToHundredths(size->width / size->height) != roundedToHundredths(screen.height / screen.width);
}

bool MVNativeVideoPlayer::videoIsZoomed() const {
    return playerLayer_ && playerLayer_->videoGravity() == kMediaLayerVideoGravityResizeAspectFill;
}

void MVNativeVideoPlayer::applyGravity(const std::string& gravity) {
    if (playerLayer_) playerLayer_->setVideoGravity(gravity);
}

void MVNativeVideoPlayer::setZoomedIn(bool zoomedIn) {
    setCurrentLandscapeAspectSize(zoomedIn ? kMediaLayerVideoGravityResizeAspectFill
                                           : kMediaLayerVideoGravityResizeAspect);
    applyGravity(currentLandscapeAspectSize());
}

void MVNativeVideoPlayer::updateZoomForOrientation(InterfaceOrientation orientation) {
    if (isLandscape(orientation) && videoIsZoomable()) {
        if (currentLandscapeAspectSize().empty()) setCurrentLandscapeAspectSize(kMediaLayerVideoGravityResizeAspect);
        applyGravity(currentLandscapeAspectSize());
    } else {
        applyGravity(kMediaLayerVideoGravityResizeAspect);
    }
}

// ---- tear-down ----

void MVNativeVideoPlayer::tearDownSession() {
    isShuttingDown_ = true;
    for (auto& task : delayed_) task.cancel();
    delayed_.clear();
    removeKeyValueObservers();
    endObserver_.reset();
    if (player_) player_->pause();
    cancelPendingSeeks();
    if (currentAsset_) currentAsset_->setResourceLoaderDelegate({}, nullptr);
    drmDelegate_.reset();
    if (playerLayer_) {
        playerLayer_->setInHostView(false);
        playerLayer_->setPlayer(nullptr);
    }
    player_.reset();
}

}  // namespace movra
