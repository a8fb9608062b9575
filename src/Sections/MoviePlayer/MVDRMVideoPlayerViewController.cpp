#include "Sections/MoviePlayer/MVDRMVideoPlayerViewController.h"

#include "API/MVHTTPClient.h"
#include "App/MVDiscriminator.h"
#include "App/MVStreamingSessionClient.h"
#include "Foundation/Localization.h"
#include "Foundation/Log.h"
#include "Foundation/Strings.h"
#include "Model/MVCoreDataService.h"
#include "Model/MVDataManager.h"
#include "Model/MVMediaContent.h"
#include "Model/MVSharedBookmarkCache.h"
#include "Model/MVStreamingSessionResponse.h"
#include "Model/StoreContext.h"
#include "Platform/Platform.h"
#include "Sections/MoviePlayer/MVMediaSelectionOptionHelper.h"
#include "Utilities/MTLXMLAdapter.h"
#include "Utilities/MVSettingsResponse.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace movra {

namespace {

constexpr const char* kPaymentMessage =
    "Please update your payment information to activate your subscription. Go to your settings on %@.";
constexpr const char* kServiceUnavailableMessage =
    "A problem has occured and the service may be temporarily unavailable.";
constexpr const char* kVideoUnavailableMessage = "We are sorry, but the selected video is currently unavailable.";
constexpr const char* kNoNetworkMessage = "Sorry, No network connection is available at the moment.";

std::shared_ptr<MVStreamingSessionResponse> mapSessionResponse(const XMLDocumentPtr& document, ErrorPtr* error) {
    if (!document) return nullptr;
    ErrorPtr mappingError;
    auto response = MTLXMLAdapter::modelOfClass<MVStreamingSessionResponse>(document->documentNode(), &mappingError);
    if (error) *error = mappingError;
    return mappingError ? nullptr : response;
}

bool alertIsUp(const std::shared_ptr<AlertController>& alert) { return alert && alert->presentingViewController(); }

}  // namespace

std::weak_ptr<MVDRMVideoPlayerViewController> MVDRMVideoPlayerViewController::weakSelf() {
    return std::static_pointer_cast<MVDRMVideoPlayerViewController>(shared_from_this());
}

std::string MVDRMVideoPlayerViewController::describe() const {
    std::string title = assetItem_ ? assetItem_->title().value_or("(untitled)") : "(no title)";
    if (!currentVideoPlayer_) return "Player: " + title;
    return "Player: " + title + " " + timeStringFromSeconds(currentVideoPlayer_->currentPosition()) + " / " +
           timeStringFromSeconds(duration_) + (userPlayerState_ == 1 ? "" : " (paused)");
}

bool MVDRMVideoPlayerViewController::nativeIsCurrent() const {
    return nativePlayer_ && currentVideoPlayer_ == nativePlayer_;
}

std::optional<std::string> MVDRMVideoPlayerViewController::mainMediaContentURL() const {
    auto content = assetItem_ ? assetItem_->movieMediaContentForType(MVMediaContentTypeHLSFairPlay) : std::nullopt;
    auto url = content ? content->url() : std::nullopt;
    return isEmpty(url) ? std::nullopt : url;
}

// ---- life cycle ----

void MVDRMVideoPlayerViewController::startPlaybackWithItem(std::shared_ptr<MVItem> item) {
    assetItem_ = std::move(item);
    currentVideoPlayerType_ = PlayerType::None;
    setupNativeSession();
}

void MVDRMVideoPlayerViewController::viewDidLoad() {
    userPlayerState_ = 1;
    firedCuePoints_.clear();
    isPrimaryViewController_ = true;
    applyAccountTrackSettings();
}

void MVDRMVideoPlayerViewController::applyAccountTrackSettings() {
    auto client = MVHTTPClient::sharedClient();
    if (!client) return;
    client->getSettingsWithCompletion([weak = weakSelf()](ErrorPtr error, std::shared_ptr<MVSettingsResponse> answer) {
        if (error || !answer) return;
        auto subtitle = subtitleFromAccountSetting(answer->settingWithName("subtitle"));
        auto audioTrack = answer->settingWithName("audioTrack");
        // The settings answer on a background queue; the screen lives on the main one.
        Platform::current().mainQueue().post([weak, subtitle, audioTrack] {
            auto self = weak.lock();
            if (!self || self->tearingDown_ || self->trackChoiceMade_) return;
            self->setSubtitle(subtitle, audioTrack);
            // Applying the account's choice is not the viewer choosing.
            self->trackChoiceMade_ = false;
        });
    });
}

std::optional<std::string> MVDRMVideoPlayerViewController::subtitleFromAccountSetting(
    const std::optional<std::string>& setting) {
    if (!setting || toLower(*setting) == "none") return std::nullopt;
    if (!endsWith(toLower(*setting), "_mvtk") && !endsWith(toLower(*setting), "_movrasolara")) return std::nullopt;
    return setting;
}

void MVDRMVideoPlayerViewController::viewDidAppear(bool /*animated*/) {
    if (!uiUpdateTimer_)
        uiUpdateTimer_ = Platform::current().mainQueue().scheduleTimer(kUiUpdateInterval, /*repeats=*/true,
                                                                       [weak = weakSelf()](Timer&) {
                                                                           if (auto self = weak.lock())
                                                                               self->updatePlaybackUI();
                                                                       });
    setupNativeSession();
}

void MVDRMVideoPlayerViewController::viewWillDisappear(bool /*animated*/) {
    endRemoteControlEvents();
    if (!nativePlayer_) return;
    nativePlayer_->pause();
    nativePlayer_->cancelPendingSeeks();
}

// ---- session ----

void MVDRMVideoPlayerViewController::setupNativeSession() {
    if (currentVideoPlayerType_ == PlayerType::Native) return;
    currentVideoPlayerType_ = PlayerType::Native;
    setupSessionWithCompletion([weak = weakSelf()](std::optional<std::string> url) {
        auto self = weak.lock();
        if (!self || self->tearingDown_) return;
        // A session without a stream would leave the screen loading for ever.
        if (isEmpty(url)) return self->showUnknownPlaybackError(false);
        self->streamURL_ = url;
        self->setupNativeVideoPlayerAtURL(*url);
    });
}

void MVDRMVideoPlayerViewController::setupNativeVideoPlayerAtURL(const std::string& url) {
    contentURL_ = url;
    nativePlayer_ = std::make_shared<MVNativeVideoPlayer>();
    nativePlayer_->setHasPlayerLayerView(true);
    nativePlayer_->setPlayerDelegate(std::static_pointer_cast<MVDRMVideoPlayerViewController>(shared_from_this()));
    currentVideoPlayer_ = nativePlayer_;
    currentVideoPlayerType_ = PlayerType::Native;

    const auto& item = *assetItem_;
    double start = 0;
    if (!startFromBeginning_)
        start = static_cast<double>(MVSharedBookmarkCache::sharedCache()->bookmarkPositionForAsset(item));
    if (item.isAlmostCompleted()) start = 0;
    startFromBeginning_ = false;

    auto image = item.imageURLForType(MVImageTypeThumb);
    nativePlayer_->setupVideoSessionWithURL(url, item.guid().value_or(""), item.title().value_or(""), "",
                                            image ? std::optional(image->absoluteString()) : std::nullopt, start,
                                            /*autoPlay=*/userPlayerState_ == 1, assetItem_);
    setupNowPlaying(item, start);
    beginRemoteControlEvents();
}

// ---- Now Playing and remote commands ----

void MVDRMVideoPlayerViewController::beginRemoteControlEvents() {
    Platform::current().nowPlaying().setCommandHandler([weak = weakSelf()](RemoteCommand command, double position) {
        auto self = weak.lock();
        if (!self || self->tearingDown_ || !self->currentVideoPlayer_) return;
        switch (command) {
            case RemoteCommand::Play:
                self->play();
                break;
            case RemoteCommand::Pause:
                self->pause();
                break;
            case RemoteCommand::TogglePlayPause:
                if (self->currentVideoPlayer_->rate() == 0)
                    self->play();
                else
                    self->pause();
                break;
            case RemoteCommand::ChangePlaybackPosition:
                self->currentVideoPlayer_->seekToTime(position, nullptr);
                self->updateTime(position);
                break;
        }
    });
}

void MVDRMVideoPlayerViewController::endRemoteControlEvents() {
    Platform::current().nowPlaying().setCommandHandler(nullptr);
}

void MVDRMVideoPlayerViewController::setupNowPlaying(const MVItem& item, double position) {
    auto content = item.movieMediaContentForType(MVMediaContentTypeHLSFairPlay);
    auto image = item.imageURLForType(MVImageTypeThumb);
    nowPlaying_ = NowPlayingInfo{item.title().value_or(""),
                                 item.guid().value_or(""),
                                 image ? std::optional(image->absoluteString()) : std::nullopt,
                                 static_cast<double>(content ? content->duration().value_or(0) : 0),
                                 position,
                                 0};
    Platform::current().nowPlaying().setNowPlayingInfo(nowPlaying_);
}

void MVDRMVideoPlayerViewController::updateTime(double seconds) {
    if (!nowPlaying_) return;
    nowPlaying_->elapsed = seconds;
    if (duration_ > 0) nowPlaying_->duration = duration_;
    Platform::current().nowPlaying().setNowPlayingInfo(nowPlaying_);
}

void MVDRMVideoPlayerViewController::updateRate(float rate) {
    if (!nowPlaying_) return;
    nowPlaying_->rate = rate;
    Platform::current().nowPlaying().setNowPlayingInfo(nowPlaying_);
}

void MVDRMVideoPlayerViewController::setupSessionWithCompletion(SessionCompletion completion) {
    if (!convivaController_) convivaController_ = std::make_unique<MVConvivaController>();
    if (!convivaController_->sessionActive() && assetItem_) convivaController_->startSessionWithAssetItem(*assetItem_);
    auto url = mainMediaContentURL();
    auto client = MVHTTPClient::sharedClient();
    if (!url || !client) return showUnknownPlaybackError(false);
    client->setUpSessionAtPath(*url, [weak = weakSelf(), completion](ErrorPtr error, XMLDocumentPtr document) {
        auto self = weak.lock();
        if (!self || self->tearingDown_) return;
        self->sessionAnswered(error, document, completion);
    });
}

void MVDRMVideoPlayerViewController::sessionAnswered(const ErrorPtr& error, const XMLDocumentPtr& document,
                                                     const SessionCompletion& completion) {
    if (error) return sessionFailed(error, document);
    ErrorPtr mappingError;
    auto response = mapSessionResponse(document, &mappingError);
    if (!response) {
        Log::error("Session setup error {}", mappingError ? mappingError->summary() : "(null)");
        return showUnknownPlaybackError(false);
    }
    if (response->status() == "success") {
        cuePoints_ = response->cuePoints();
        countdownSeconds_ = response->chainplayTimer().value_or(kDefaultCountdownSeconds);
        const auto& channel = response->channel();
        chainPlayItem_ = channel && !channel->items().empty() ? channel->items().front() : nullptr;
        if (auto o = observer(); o && response->url()) o->sessionOpened(*response->url());
        if (completion) completion(response->url());
        return;
    }
    if (response->status() == "authenticate") {
        endQualitySession("Authentication Required");
        Platform::current().notificationCenter().post(MVNotificationAuthenticationRequired);
        return;
    }
    Log::error("Server playback error: {} {}", response->userMessage().value_or(""),
               response->systemMessage().value_or(""));
    if (isEmpty(response->userMessage())) return showUnknownPlaybackError(false);
    if (!alertIsUp(errorAlert_)) showErrorAlert(MVLocalizedString("Error"), *response->userMessage());
    endQualitySession(*response->userMessage());
}

void MVDRMVideoPlayerViewController::sessionFailed(const ErrorPtr& error, const XMLDocumentPtr& document) {
    if (auto response = mapSessionResponse(document, nullptr)) {
        if (response->errorCode() == "ST2002") {
            if (alertIsUp(errorAlert_)) return;
            endQualitySession("Payment required.");
            return showErrorAlert(
                "", replaceAll(MVLocalizedString(kPaymentMessage), "%@", MVDiscriminator::tenantUserURL()));
        }
        if (!isEmpty(response->userMessage())) {
            if (alertIsUp(errorAlert_)) return;
            endQualitySession("Playback failed.");
            return showErrorAlert("", *response->userMessage());
        }
    }
    // The request core has cleared the credentials and asked for a sign-in.
    if (error->userInfo.value(kErrorHTTPStatusCodeKey, 0) == 401) return;
    if (error->is(kURLErrorDomain, kURLErrorTimedOut)) return showUnknownPlaybackError(true);
    Log::error("Session setup error {}", error->summary());
    showUnknownPlaybackError(false);
}

void MVDRMVideoPlayerViewController::retrySessionSetup() {
    setupSessionWithCompletion([weak = weakSelf()](std::optional<std::string> url) {
        auto self = weak.lock();
        if (!self || !self->currentVideoPlayer_) return;
        self->streamURL_ = url;
        auto player = self->currentVideoPlayer_;
        if (self->tearingDown_) return player->tearDownSession();
        if (!url) return;
        const auto& item = *self->assetItem_;
        player->setupVideoSessionWithURL(*url, item.guid().value_or(""), item.title().value_or(""), "", std::nullopt,
                                         player->currentPosition(), /*autoPlay=*/true, self->assetItem_);
    });
}

void MVDRMVideoPlayerViewController::tearDownNativeSession(std::function<void()> completion) {
    dropQualitySession();
    if (!nativePlayer_) {
        if (completion) completion();
        return;
    }
    nativePlayer_->pause();
    const auto seconds = static_cast<long long>(
        std::floor(currentVideoPlayer_ ? currentVideoPlayer_->currentPosition() : nativePlayer_->currentPosition()));
    if (assetItem_) MVSharedBookmarkCache::sharedCache()->setBookmarkSeconds(seconds, *assetItem_);

    auto url = mainMediaContentURL();
    auto client = MVHTTPClient::sharedClient();
    if (url && client) {
        client->tearDownSessionAtURL(
            *url, seconds, [weakObserver = observer_, seconds, completion](ErrorPtr error, XMLDocumentPtr) {
                if (error) Log::error("Failed to tear down session {}", error->summary());
                MVDataManager::refreshRecentlyWatchedAfterPlayback();
                if (auto o = weakObserver.lock()) o->sessionClosed(seconds, error);
                // The original waited here on the main thread; the loop keeps turning instead.
                if (completion) Platform::current().mainQueue().postAfter(kTearDownCompletionDelay, completion);
            });
    } else if (completion) {
        completion();
    }

    nativePlayer_->tearDownSession();
    nativePlayer_->setPlayerDelegate({});
    if (currentVideoPlayer_ == nativePlayer_) currentVideoPlayer_.reset();
    nativePlayer_.reset();
}

// ---- alerts ----

void MVDRMVideoPlayerViewController::showErrorAlert(const std::string& title, const std::string& message) {
    auto alert = std::make_shared<AlertController>(title, message);
    alert->addAction({MVLocalizedString("OK"), AlertController::ActionStyle::Default, [weak = weakSelf()] {
                          if (auto self = weak.lock()) self->doneTapped();
                      }});
    errorAlert_ = alert;
    presentViewController(alert, true);
}

void MVDRMVideoPlayerViewController::showUnknownPlaybackError(bool serviceMayBeAtFault) {
    endQualitySession("Playback failed.");
    if (alertIsUp(errorAlert_)) return;
    if (Platform::current().reachability().isReachable()) {
        showErrorAlert(MVLocalizedString("Error"),
                       MVLocalizedString(serviceMayBeAtFault ? kServiceUnavailableMessage : kVideoUnavailableMessage));
    } else {
        showErrorAlert("", MVLocalizedString(kNoNetworkMessage));
    }
}

void MVDRMVideoPlayerViewController::handleVideoError(const ErrorPtr& error) {
    if (nativePlayer_) {
        Log::error("Player Item Error {}", error ? error->summary() : "(null)");
        if (error && error->domain == kMovraErrorDomain && !error->localizedDescription.empty())
            endQualitySession(error->localizedDescription);
        endQualitySession("Video playback error");
    }
    if (alertIsUp(errorAlert_)) return;
    auto alert = std::make_shared<AlertController>(MVLocalizedString("Playback failed"),
                                                   MVLocalizedString("There was an error playing the video."));
    // Without a player nothing is playing, and dismissing the alert leaves the screen open.
    std::function<void()> close;
    if (nativePlayer_)
        close = [weak = weakSelf()] {
            if (auto self = weak.lock()) self->doneTapped();
        };
    alert->addAction({MVLocalizedString("OK"), AlertController::ActionStyle::Default, std::move(close)});
    errorAlert_ = alert;
    presentViewController(alert, true);
}

// ---- playback quality ----

void MVDRMVideoPlayerViewController::endQualitySession(const std::string& reason) {
    if (!convivaController_) return;
    // An ended controller is not reused: the next set-up or play makes a new one.
    convivaController_->tearDownSessionWithError(reason);
    convivaController_.reset();
}

void MVDRMVideoPlayerViewController::dropQualitySession() {
    if (!convivaController_) return;
    convivaController_->tearDownSession();
    convivaController_.reset();
}

// ---- bookmarks ----

void MVDRMVideoPlayerViewController::saveBookmarkForCurrentLocation() {
    if (!assetItem_ || isEmpty(assetItem_->guid()) || !currentVideoPlayer_) return;
    const auto seconds = static_cast<long long>(std::floor(currentVideoPlayer_->currentPosition()));
    MVSharedBookmarkCache::sharedCache()->setBookmarkSeconds(seconds, *assetItem_);
    auto client = MVHTTPClient::sharedClient();
    if (!nativeIsCurrent() || !client) return;
    MVStreamingSessionClient::postBookmarkForAssetItem(
        *client, *assetItem_, seconds, [weakObserver = observer_, seconds](ErrorPtr error, XMLDocumentPtr response) {
            if (error)
                Log::error("Unable to store bookmark {} {}", error->summary(),
                           response ? response->xmlString() : "(null)");
            if (auto o = weakObserver.lock()) o->bookmarkSent(seconds, error);
        });
}

void MVDRMVideoPlayerViewController::startBookmarkTimer() {
    if (bookmarkTimer_) return;
    bookmarkTimer_ =
        Platform::current().mainQueue().scheduleTimer(kBookmarkInterval, /*repeats=*/true, [weak = weakSelf()](Timer&) {
            if (auto self = weak.lock()) self->saveBookmarkForCurrentLocation();
        });
    saveBookmarkForCurrentLocation();
}

void MVDRMVideoPlayerViewController::stopBookmarkTimer() {
    if (bookmarkTimer_) bookmarkTimer_->invalidate();
    bookmarkTimer_.reset();
}

// ---- cue points ----

void MVDRMVideoPlayerViewController::startCuePointTimer() {
    if (cuePointTimer_) return;
    cuePointTimer_ =
        Platform::current().mainQueue().scheduleTimer(kCuePointInterval, /*repeats=*/true, [weak = weakSelf()](Timer&) {
            if (auto self = weak.lock()) self->checkCuePoints();
        });
}

void MVDRMVideoPlayerViewController::stopCuePointTimer() {
    if (cuePointTimer_) cuePointTimer_->invalidate();
    cuePointTimer_.reset();
}

bool MVDRMVideoPlayerViewController::hasFired(const MVCuePoint& cuePoint) const {
    // By value: a renewed session brings the same cue points as new records.
    for (const auto& fired : firedCuePoints_)
        if (fired.position() == cuePoint.position() && fired.cueType() == cuePoint.cueType()) return true;
    return false;
}

void MVDRMVideoPlayerViewController::checkCuePoints() {
    if (!nativeIsCurrent() || nativePlayer_->externalPlaybackActive() || !nativePlayer_->player() || cuePoints_.empty())
        return;
    const double position = std::floor(nativePlayer_->currentPosition());
    const auto cuePoints = cuePoints_;
    for (const auto& cuePoint : cuePoints) {
        if (!cuePoint || !cuePoint->position() || *cuePoint->position() > position || hasFired(*cuePoint)) continue;
        firedCuePoints_.push_back(*cuePoint);
        saveBookmarkForCurrentLocation();
        if (auto o = observer()) o->cuePointReached(*cuePoint->position());
        cuePointHit(chainPlayItem_ ? chainPlayItem_->guid().value_or("") : "", countdownSeconds_);
    }
}

void MVDRMVideoPlayerViewController::cuePointHit(const std::string& guid, long long countdown) {
    auto target = delegate();
    if (!target) return;
    std::shared_ptr<MVItem> item;
    auto store = MVCoreDataService::registered();
    if (auto* context = store ? store->mainContext() : nullptr) {
        StoreContext::ItemQuery query;
        query.filter = StorePredicate::inList("guid", {guid});
        query.limit = 1;
        ErrorPtr error;
        auto items = context->fetchItems(query, &error);
        if (error) Log::error("Error from fetch: {}", error->summary());
        if (!items.empty()) item = items.front();
    }
    target->cuePointHit(item, countdown);
}

void MVDRMVideoPlayerViewController::playerReachedEnd() {
    if (assetItem_) {
        auto content = assetItem_->movieMediaContentForType(MVMediaContentTypeHLSFairPlay);
        if (auto seconds = content ? content->duration() : std::nullopt)
            MVSharedBookmarkCache::sharedCache()->setBookmarkSeconds(*seconds, *assetItem_);
    }
    if (auto o = observer()) o->reachedEnd();
    if (!isPrimaryViewController_) return;
    auto target = delegate();
    if (!target) return;
    if (!cuePoints_.empty() && nativeIsCurrent() && !nativePlayer_->externalPlaybackActive())
        target->cuePointHit(chainPlayItem_, countdownSeconds_);
    else
        target->dismissPlayer();
}

// ---- playback ----

void MVDRMVideoPlayerViewController::play() {
    userPlayerState_ = 1;
    // Back from the background, or after a failure ended it: a new quality session for the same player.
    if (!convivaController_ && nativePlayer_ && nativePlayer_->player() && assetItem_) {
        convivaController_ = std::make_unique<MVConvivaController>();
        convivaController_->startSessionWithAssetItem(*assetItem_);
        convivaController_->attachPlayerToSession(nativePlayer_->player());
    }
    const double now = Platform::current().clock().monotonicSeconds();
    if (nativeIsCurrent() && lastPauseTime_ && now - *lastPauseTime_ > kSessionRenewalPause) {
        // Only renews the session: the player keeps the stream it has.
        setupSessionWithCompletion([weak = weakSelf()](std::optional<std::string> url) {
            auto self = weak.lock();
            if (!self) return;
            if (url)
                self->internalPlay();
            else
                self->endQualitySession("Failed to set up session");
        });
        return;
    }
    internalPlay();
}

void MVDRMVideoPlayerViewController::internalPlay() {
    if (nativeIsCurrent()) startCuePointTimer();
    startBookmarkTimer();
    if (currentVideoPlayer_) currentVideoPlayer_->play();
    startHideControlTimer();
}

void MVDRMVideoPlayerViewController::pause() {
    userPlayerState_ = 0;
    lastPauseTime_ = Platform::current().clock().monotonicSeconds();
    if (currentVideoPlayer_) currentVideoPlayer_->pause();
    saveBookmarkForCurrentLocation();
    stopBookmarkTimer();
    stopCuePointTimer();
    cancelHideControlTimer();
}

void MVDRMVideoPlayerViewController::playPauseTapped() {
    if (userPlayerState_ == 1)
        pause();
    else
        play();
}

void MVDRMVideoPlayerViewController::stopNativePlayback() {
    if (!nativeIsCurrent()) return;
    userPlayerState_ = 0;
    nativePlayer_->pause();
    nativePlayer_->cancelPendingSeeks();
}

void MVDRMVideoPlayerViewController::stopTimers() {
    stopBookmarkTimer();
    stopCuePointTimer();
    cancelHideControlTimer();
    if (uiUpdateTimer_) uiUpdateTimer_->invalidate();
    uiUpdateTimer_.reset();
}

void MVDRMVideoPlayerViewController::doneTapped() {
    auto keep = shared_from_this();
    stopTimers();
    tearDown(nullptr);
    if (auto target = delegate()) target->dismissPlayer();
    dismissViewController(true);
}

void MVDRMVideoPlayerViewController::tearDown(std::function<void()> completion) {
    tearingDown_ = true;
    endRemoteControlEvents();
    Platform::current().nowPlaying().setNowPlayingInfo(std::nullopt);
    // Nothing is left for the timers to report on once the player is gone.
    stopTimers();
    const bool casting = currentVideoPlayerType_ == PlayerType::Cast;
    if (!casting) tearDownNativeSession(completion);
    if (seekCache_) {
        seekCache_->cancelDownloads();
        seekCache_->deleteCache();
        seekCache_.reset();
    }
    if (casting && completion) completion();
}

// ---- application and network ----

void MVDRMVideoPlayerViewController::appWillResignActive() {
    saveBookmarkForCurrentLocation();
    if (currentVideoPlayer_ && currentVideoPlayer_->externalPlaybackActive()) return;
    if (currentVideoPlayer_) currentVideoPlayer_->pause();
    userPlayerState_ = 0;
    isUserSeeking_ = false;
    dropQualitySession();
    endRemoteControlEvents();
}

void MVDRMVideoPlayerViewController::appBecameActive() {
    beginRemoteControlEvents();
    controlsHidden_ = false;
    cancelHideControlTimer();
}

void MVDRMVideoPlayerViewController::networkStatusChanged(bool reachable) {
    // The local cache keeps the position; the POST fails and is not retried.
    if (!reachable) saveBookmarkForCurrentLocation();
}

// ---- player callbacks ----

void MVDRMVideoPlayerViewController::playerRateChanged(float rate) {
    if (rate > 0 && currentVideoPlayer_ && !currentVideoPlayer_->externalPlaybackActive()) startHideControlTimer();
    updatePlaybackUI();
    if (currentVideoPlayer_) updateTime(currentVideoPlayer_->currentPosition());
    updateRate(rate);
}

void MVDRMVideoPlayerViewController::setBuffering(bool buffering) {
    if (!isPrimaryViewController_ || buffering == buffering_) return;
    buffering_ = buffering;
    if (auto o = observer()) o->bufferingChanged(buffering);
}

void MVDRMVideoPlayerViewController::playerSetupComplete(double position) {
    if (nativeIsCurrent()) {
        if (convivaController_ && nativePlayer_->player())
            convivaController_->attachPlayerToSession(nativePlayer_->player());
        startCuePointTimer();
        if (auto item = nativePlayer_->player() ? nativePlayer_->player()->currentItem() : nullptr)
            item->setLegibleOutputHandler([weak = weakSelf()](const MediaLegibleCue& cue) {
                auto self = weak.lock();
                if (auto o = self ? self->observer() : nullptr) o->subtitleCue(cue.text, cue.start, cue.end);
            });
    }
    selectNativeSubtitleAndAudioTrack();
    startBookmarkTimer();
    playerSetUp_ = true;
    startSeekCache();
    if (auto o = observer()) o->playerSetupComplete(position);
}

void MVDRMVideoPlayerViewController::currentBufferedTime(double seconds) {
    if (duration_ > 0) loadProgress_ = seconds / duration_;
}

void MVDRMVideoPlayerViewController::durationChanged(double seconds) {
    if (!std::isnan(seconds)) duration_ = seconds;
    startSeekCache();
    if (userPlayerState_ == 1 && nativeIsCurrent()) nativePlayer_->play();
}

void MVDRMVideoPlayerViewController::startSeekCache() {
    if (seekCache_ || !nativeIsCurrent() || !playerSetUp_ || !contentURL_) return;
    // A duration that is not a number (or not finite) gives no step to prefetch by.
    if (!std::isfinite(duration_) || duration_ < 0) return;
    auto playlist = Url::parse(*contentURL_);
    if (!playlist) return;
    seekCache_ = std::make_shared<MVSeekCache>();
    const auto whole = static_cast<unsigned>(std::min(duration_, double(std::numeric_limits<unsigned>::max())));
    seekCache_->downloadImagesFromPlaylist(*playlist, whole / 360, whole);
}

void MVDRMVideoPlayerViewController::externalPlaybackIsActive(bool active) {
    // The player also reports the state it starts in: only a change is an event.
    const bool changed = active != externalPlaybackActive_;
    externalPlaybackActive_ = active;
    if (changed && nativeIsCurrent() && convivaController_) convivaController_->sendAirplayIsEnabledEvent(active);
    if (!active) return;
    setBuffering(false);
    cancelHideControlTimer();
    controlsHidden_ = false;
}

void MVDRMVideoPlayerViewController::selectNativeSubtitleAndAudioTrack() {
    if (!nativePlayer_) return;
    auto& defaults = Platform::current().defaults();
    const auto& subtitles = nativePlayer_->subtitleGroup();
    if (auto code = defaults.stringForKey(MVLastSelectedSubtitleKey); code && subtitles) {
        for (const auto& option : subtitles->options) {
            if (MVMediaSelectionOptionHelper::mvtk_languageCode(option) == *code) {
                nativePlayer_->selectMediaOption(option, *subtitles);
                break;
            }
        }
    }
    const auto& audio = nativePlayer_->audioGroup();
    if (!audio) return;
    const auto savedTitle = defaults.stringForKey(MVLastSelectedAudioTrackKey);
    const std::string deviceLanguage = Platform::current().locale().languageCode();
    const MediaSelectionOption* found = nullptr;
    for (const auto& option : audio->options) {
        if (savedTitle && MVMediaSelectionOptionHelper::title(option) == savedTitle) {
            found = &option;
            break;
        }
        if (option.localeLanguageCode == deviceLanguage) found = &option;
    }
    if (!found) return;
    nativePlayer_->selectMediaOption(*found, *audio);
    if (auto title = MVMediaSelectionOptionHelper::title(*found))
        defaults.setObject(MVLastSelectedAudioTrackKey, *title);
}

std::shared_ptr<SubtitleAndAudioCollectionViewController> MVDRMVideoPlayerViewController::subtitleButtonTapped() {
    if (!nativeIsCurrent()) return nullptr;
    nativePlayer_->pause();
    auto& defaults = Platform::current().defaults();
    static const std::vector<MediaSelectionOption> kNone;
    const auto& subtitles = nativePlayer_->subtitleGroup();
    const auto& audio = nativePlayer_->audioGroup();
    const auto& subtitleOptions = subtitles ? subtitles->options : kNone;
    const auto& audioOptions = audio ? audio->options : kNone;

    // The remembered choice when this title has it, else the group's default.
    std::string selectedSubtitle;
    const auto savedSubtitle = defaults.stringForKey(MVLastSelectedSubtitleKey);
    for (const auto& option : subtitleOptions)
        if (savedSubtitle && MVMediaSelectionOptionHelper::mvtk_languageCode(option) == savedSubtitle)
            selectedSubtitle = *savedSubtitle;
    if (selectedSubtitle.empty() && subtitles && subtitles->defaultOption)
        selectedSubtitle = MVMediaSelectionOptionHelper::mvtk_languageCode(*subtitles->defaultOption).value_or("");
    std::string selectedAudio;
    const auto savedAudio = defaults.stringForKey(MVLastSelectedAudioTrackKey);
    for (const auto& option : audioOptions)
        if (savedAudio && MVMediaSelectionOptionHelper::title(option) == savedAudio) selectedAudio = *savedAudio;
    if (selectedAudio.empty() && audio && audio->defaultOption)
        selectedAudio = MVMediaSelectionOptionHelper::title(*audio->defaultOption).value_or("");

    auto picker = SubtitleAndAudioCollectionViewController::makeWithSubtitleAVMediaOptions(
        subtitleOptions, audioOptions, selectedSubtitle, selectedAudio);
    picker->setSubtitleAudioDelegate(weakSelf());
    presentViewController(picker, /*animated=*/true);
    return picker;
}

void MVDRMVideoPlayerViewController::setSubtitle(const std::optional<std::string>& subtitle,
                                                 const std::optional<std::string>& audioTrack) {
    auto& defaults = Platform::current().defaults();
    auto store = [&](const char* key, const std::optional<std::string>& value) {
        if (value)
            defaults.setObject(key, *value);
        else
            defaults.removeObject(key);
    };
    store(MVLastSelectedSubtitleKey, subtitle);
    store(MVLastSelectedAudioTrackKey, audioTrack);
    trackChoiceMade_ = true;
    if (nativeIsCurrent()) {
        if (const auto& group = nativePlayer_->subtitleGroup()) {
            std::optional<MediaSelectionOption> chosen;
            for (const auto& option : group->options) {
                if (subtitle && MVMediaSelectionOptionHelper::mvtk_languageCode(option) == subtitle) {
                    chosen = option;
                    break;
                }
            }
            nativePlayer_->selectMediaOption(chosen, *group);
        }
        if (const auto& group = nativePlayer_->audioGroup()) {
            std::optional<MediaSelectionOption> chosen;
            for (const auto& option : group->options) {
                if (audioTrack && MVMediaSelectionOptionHelper::title(option) == audioTrack) {
                    chosen = option;
                    break;
                }
            }
            nativePlayer_->selectMediaOption(chosen, *group);
        }
    }
    defaults.synchronize();
}

void MVDRMVideoPlayerViewController::subtitleAndAudioViewControllerDidSelect(
    SubtitleAndAudioCollectionViewController& picker, const std::string& subtitle, const std::string& audioTrack) {
    setSubtitle(subtitle, audioTrack);
    if (auto client = MVHTTPClient::sharedClient()) {
        Json settings = Json::object();
        settings["subtitle"] = subtitle.empty() ? "none" : subtitle;
        settings["audioTrack"] = audioTrack.empty() ? "none" : audioTrack;
        client->updateSettings(settings, [](ErrorPtr error, XMLDocumentPtr) {
            if (error) Log::error("Failed to save the subtitle and audio choice: {}", error->summary());
        });
    }
    picker.dismissViewController(/*animated=*/true);
    if (userPlayerState_ != 0 && nativeIsCurrent()) nativePlayer_->play();
    startHideControlTimer();
}

// ---- seek bar and controls ----

void MVDRMVideoPlayerViewController::seekBarTouched() {
    isUserSeeking_ = true;
    seekThumbnailShown_ = seekCache_ != nullptr;
    if (currentVideoPlayer_) currentVideoPlayer_->setRate(0);
    cancelHideControlTimer();
}

void MVDRMVideoPlayerViewController::seekBarChanged(double value) {
    seekBarValue_ = std::clamp(value, 0.0, std::max(duration_, 0.0));
    if (seekCache_) showSeekThumbnail(seekCache_->cachedImageForTime(seekBarValue_), seekBarValue_, false);
    startHideControlTimer();
    if (assetItem_ && assetItem_->guid() && currentVideoPlayer_)
        MVSharedBookmarkCache::sharedCache()->setBookmarkSeconds(static_cast<long long>(seekBarValue_), *assetItem_);
}

void MVDRMVideoPlayerViewController::seekBarDoneSeeking() {
    if (!currentVideoPlayer_) {
        isUserSeeking_ = false;
        return;
    }
    if (auto url = seekCache_ ? seekCache_->urlForImageAtTime(seekBarValue_) : std::nullopt) {
        // Told apart for the front end: a picture the prefetch has, or one that came over the network now.
        const bool loaded = !seekCache_->cachedImageForURL(*url);
        seekCache_->downloadAndCacheImageFromURL(*url,
                                                 [weak = weakSelf(), seconds = seekBarValue_, loaded](ImagePtr image) {
                                                     if (auto self = weak.lock())
                                                         self->showSeekThumbnail(std::move(image), seconds, loaded);
                                                 });
    }
    if (seekBarValue_ > duration_ - kEndOfTitleMargin) seekBarValue_ = std::max(0.0, duration_ - kEndOfTitleMargin);
    currentVideoPlayer_->seekToTime(seekBarValue_, [weak = weakSelf()](bool) {
        auto self = weak.lock();
        if (!self) return;
        self->isUserSeeking_ = false;
        Platform::current().mainQueue().post([weak] {
            auto screen = weak.lock();
            if (!screen || screen->tearingDown_) return;
            screen->waitingForSeekToNormalize_ = true;
            screen->seekThumbnailShown_ = false;
            if (screen->userPlayerState_ == 1 && screen->currentVideoPlayer_) screen->currentVideoPlayer_->play();
        });
    });
    startHideControlTimer();
}

void MVDRMVideoPlayerViewController::showSeekThumbnail(ImagePtr image, double seconds, bool loaded) {
    // Letting go on a prefetched picture shows the one already there.
    if (!image || tearingDown_ || image == seekThumbnail_) return;
    seekThumbnail_ = std::move(image);
    if (auto o = observer()) o->seekThumbnailShown(seconds, loaded);
}

void MVDRMVideoPlayerViewController::tapGestureRecognizerTriggered() {
    controlsHidden_ = !controlsHidden_;
    if (controlsHidden_)
        cancelHideControlTimer();
    else
        startHideControlTimer();
}

void MVDRMVideoPlayerViewController::startHideControlTimer() {
    if (controlsHidden_ || !isPrimaryViewController_ ||
        (currentVideoPlayer_ && currentVideoPlayer_->externalPlaybackActive()))
        return;
    auto& loop = Platform::current().mainQueue();
    // A running timer is pushed back rather than doubled.
    if (hideControlsTimer_ && hideControlsTimer_->isValid()) {
        hideControlsTimer_->setFireDate(Platform::current().clock().monotonicSeconds() + kHideControlsInterval);
        return;
    }
    hideControlsTimer_ = loop.scheduleTimer(kHideControlsInterval, /*repeats=*/false, [weak = weakSelf()](Timer&) {
        if (auto self = weak.lock()) self->controlsHidden_ = true;
    });
}

void MVDRMVideoPlayerViewController::cancelHideControlTimer() {
    if (hideControlsTimer_) hideControlsTimer_->invalidate();
    hideControlsTimer_.reset();
}

void MVDRMVideoPlayerViewController::updatePlaybackUI() {
    if (!currentVideoPlayer_) return;
    // The bar follows the player except while the viewer holds it.
    if (!isUserSeeking_) seekBarValue_ = currentVideoPlayer_->currentPosition();
    if (auto o = observer()) o->playbackUIUpdated();
}

void MVDRMVideoPlayerViewController::availableSubtitlesAndAudioTracksChanged(
    const MediaSelectionGroupPtr& subtitles, const MediaSelectionGroupPtr& audioTracks) {
    if (auto o = observer()) o->tracksAvailable(subtitles, audioTracks);
}

// ---- texts ----

std::string MVDRMVideoPlayerViewController::timeStringFromSeconds(double seconds) {
    const auto whole = static_cast<long long>(seconds);
    char text[32];
    if (whole < 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    return text;
}

}  // namespace movra
