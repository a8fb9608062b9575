#include "movra/PlaybackRun.h"

#include "API/MVHTTPClient.h"
#include "App/MVAppDelegate.h"
#include "App/MVDiscriminator.h"
#include "Model/MVItem.h"
#include "Model/MVMediaContent.h"
#include "Platform/Platform.h"
#include "Sections/MoviePlayer/MVDRMVideoPlayerViewController.h"
#include "Sections/MoviePlayer/MVMediaSelectionOptionHelper.h"
#include "Sections/MoviePlayer/MVNativeVideoPlayer.h"
#include "movra/Output.h"
#include "movra/PlaybackReport.h"
#include "movra/RawTerminal.h"
#include "movra/SignalWatch.h"

#include <algorithm>
#include <iostream>

namespace movra::cli {

namespace {

/// How often the loop looks at the keys and the clock.
constexpr double kPollSeconds = 0.1;
constexpr double kProgressInterval = 1.0;

/// The audio rendition the engine's pipeline plays now; nullopt before it reports one.
std::optional<MediaSelectionOption> engineAudio(const std::shared_ptr<MVVideoPlayer>& player) {
    auto native = std::dynamic_pointer_cast<MVNativeVideoPlayer>(player);
    if (!native || !native->audioGroup() || !native->player() || !native->player()->currentItem()) return std::nullopt;
    return native->player()->currentItem()->selectedMediaOption(*native->audioGroup());
}

}  // namespace

void PlaybackRun::chooseAtStart(MVDRMVideoPlayerViewController& screen) const {
    auto& defaults = Platform::current().defaults();
    std::optional<std::string> code = defaults.stringForKey(MVLastSelectedSubtitleKey);
    if (subtitle) code = *subtitle == "none" ? std::string() : MVDiscriminator::languageCodeForCurrentTenant(*subtitle);
    screen.setSubtitle(code, audioTrack ? audioTrack : defaults.stringForKey(MVLastSelectedAudioTrackKey));
}

int PlaybackRun::run(const std::shared_ptr<MVItem>& item) const {
    auto& platform = Platform::current();
    auto& loop = platform.mainQueue();
    auto now = [&] { return platform.clock().monotonicSeconds(); };

    auto report = std::make_shared<PlaybackReport>(json);
    auto content = item->movieMediaContentForType(MVMediaContentTypeHLSFairPlay);
    report->title(item->guid().value_or(""), item->title().value_or("(untitled)"),
                  content ? content->duration().value_or(0) : 0);

    // As the app does at launch: the viewing's quality session carries the service's customer key.
    platform.playbackQuality().start(MVAppDelegate::kPlaybackQualityCustomerKey);
    auto screen = std::make_shared<MVDRMVideoPlayerViewController>();
    screen->setDelegate(report);
    screen->setObserver(report);
    screen->loadViewIfNeeded();
    screen->setAssetItem(item);
    screen->setStartFromBeginning(startOver);
    screen->viewDidAppear(/*animated=*/false);

    // The app would show its sign-in screen; here there is none to show.
    bool signedOut = false;
    ScopedObserver authentication(platform.notificationCenter(), platform.notificationCenter().addObserver(
                                                                     MVNotificationAuthenticationRequired,
                                                                     [&](const Notification&) { signedOut = true; }));

    RawTerminal keys;
    SignalWatch::takeSuspensions(true);
    const double started = now();
    // The picker a person is choosing in, and which of its lists.
    std::shared_ptr<SubtitleAndAudioCollectionViewController> picker;
    bool choosingAudio = false;
    auto pick = [&](std::size_t row) {
        const bool valid = choosingAudio ? picker->selectAudioTrackAtIndex(row) : picker->selectSubtitleAtIndex(row);
        if (!valid) return;
        report->chosen(picker->selectedSubtitle(), picker->selectedAudioTrack());
        picker->doneTapped();
        picker.reset();
    };
    std::optional<double> playingSince;
    std::string audioPlaying;
    double lastProgress = -kProgressInterval;
    bool timedOut = false;
    while (true) {
        SignalWatch::runUntil(
            loop, [] { return false; }, kPollSeconds);
        if (SignalWatch::caught()) break;
        if (auto alert = screen->errorAlert()) {
            report->error(alert->title(), alert->message());
            break;
        }
        if (report->isFinished()) break;
        if (signedOut) {
            report->error("Error", kSignInNoLongerValid);
            break;
        }
        auto player = screen->currentVideoPlayer();
        if (!report->isReady() || !player) {
            if (now() - started < kStepTimeoutSeconds) continue;
            std::cerr << "movra: the player did not start within " << kStepTimeoutSeconds << " seconds" << std::endl;
            timedOut = true;
            break;
        }
        if (!playingSince) {
            playingSince = now();
            if (from) player->seekToTime(*from, nullptr);
            if (subtitle || audioTrack) chooseAtStart(*screen);
        }
        if (SignalWatch::takeSuspendRequest()) {
            screen->appWillResignActive();
            report->suspended(true);
            keys.suspend();
            SignalWatch::suspendSelf();
            keys.resume();
            screen->appBecameActive();
            report->suspended(false);
        }
        if (auto press = keys.readKey()) {
            using Key = RawTerminal::Key;
            if (press->key == Key::Quit) break;
            const bool forAudio = press->key == Key::Audio;
            if (press->key == Key::Space) {
                screen->playPauseTapped();
                report->paused(screen->userPlayerState() == 0);
            } else if (press->key == Key::Digit && picker) {
                pick(static_cast<std::size_t>(press->digit));
            } else if ((press->key == Key::Subtitles || forAudio) && picker && choosingAudio == forAudio) {
                // The same key again moves on to the next entry.
                const auto& entries = forAudio ? picker->availableAudioTracks() : picker->availableSubtitles();
                const auto& selected = forAudio ? picker->selectedAudioTrack() : picker->selectedSubtitle();
                std::size_t at = 0;
                while (at < entries.size() && entries[at].key != selected) ++at;
                pick(entries.empty() ? 0 : (at + 1) % entries.size());
            } else if (press->key == Key::Subtitles || forAudio) {
                if (picker) picker->doneTapped();
                picker = screen->subtitleButtonTapped();
                choosingAudio = forAudio;
                if (picker)
                    report->choices(forAudio ? picker->availableAudioTracks() : picker->availableSubtitles(),
                                    forAudio ? picker->selectedAudioTrack() : picker->selectedSubtitle(), forAudio);
            } else if (press->key == Key::Left || press->key == Key::Right) {
                const double step = press->key == Key::Right ? kSeekStepSeconds : -kSeekStepSeconds;
                screen->seekBarTouched();
                screen->seekBarChanged(std::max(0.0, player->currentPosition() + step));
                screen->seekBarDoneSeeking();
                report->seekBarReleased(screen->seekBarValue());
            }
        }
        if (auto audio = engineAudio(player); audio && audio->identifier != audioPlaying) {
            audioPlaying = audio->identifier;
            report->audioPlaying(MVMediaSelectionOptionHelper::mvtk_localizedDisplayName(*audio),
                                 audio->localeLanguageCode);
        }
        if (forSeconds > 0 && now() - *playingSince >= forSeconds) break;
        if (now() - lastProgress >= kProgressInterval) {
            lastProgress = now();
            report->progress(player->currentPosition(), player->duration(), player->bufferPosition());
        }
    }

    SignalWatch::takeSuspensions(false);
    // Not through SignalWatch: after a signal the session must still be closed with the final bookmark.
    bool closed = false;
    screen->tearDown([&] { closed = true; });
    loop.runUntil([&] { return closed; }, kStepTimeoutSeconds);
    return report->hasFailed() || timedOut || !closed ? 1 : 0;
}

}  // namespace movra::cli
