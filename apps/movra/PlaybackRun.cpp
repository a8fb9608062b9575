#include "movra/PlaybackRun.h"

#include "API/MVHTTPClient.h"
#include "Model/MVItem.h"
#include "Model/MVMediaContent.h"
#include "Platform/Platform.h"
#include "Sections/MoviePlayer/MVDRMVideoPlayerViewController.h"
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

}  // namespace

int PlaybackRun::run(const std::shared_ptr<MVItem>& item) const {
    auto& platform = Platform::current();
    auto& loop = platform.mainQueue();
    auto now = [&] { return platform.clock().monotonicSeconds(); };

    auto report = std::make_shared<PlaybackReport>(json);
    auto content = item->movieMediaContentForType(MVMediaContentTypeHLSFairPlay);
    report->title(item->guid().value_or(""), item->title().value_or("(untitled)"),
                  content ? content->duration().value_or(0) : 0);

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
    const double started = now();
    std::optional<double> playingSince;
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
        }
        if (auto key = keys.readKey()) {
            if (*key == RawTerminal::Key::Quit) break;
            if (*key == RawTerminal::Key::Space) {
                screen->playPauseTapped();
                report->paused(screen->userPlayerState() == 0);
            } else {
                const double step = *key == RawTerminal::Key::Right ? kSeekStepSeconds : -kSeekStepSeconds;
                player->seekToTime(std::max(0.0, player->currentPosition() + step), nullptr);
            }
        }
        if (forSeconds > 0 && now() - *playingSince >= forSeconds) break;
        if (now() - lastProgress >= kProgressInterval) {
            lastProgress = now();
            report->progress(player->currentPosition(), player->duration(), player->bufferPosition());
        }
    }

    // Not through SignalWatch: after a signal the session must still be closed with the final bookmark.
    bool closed = false;
    screen->tearDown([&] { closed = true; });
    loop.runUntil([&] { return closed; }, kStepTimeoutSeconds);
    return report->hasFailed() || timedOut || !closed ? 1 : 0;
}

}  // namespace movra::cli
