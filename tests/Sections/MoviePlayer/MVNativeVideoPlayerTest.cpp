// The native player on the simulated engine, in virtual time: start-position rules and retries, callbacks
// and their order, tracks, zoom, DRM failure and tear-down.
#include "App/MVDiscriminator.h"
#include "Sections/MoviePlayer/MVNativeVideoPlayer.h"
#include "support/LogCapture.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <thread>

namespace movra {
namespace {

using test::SimulatedAssetScript;

constexpr const char* kAssetURL = "https://media.test/asset/master.m3u8";

std::string secondsText(double value) {
    auto text = std::to_string(value);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    return text;
}

/// Records every callback as a line of trace.
struct PlayerTraceDelegate final : MVVideoPlayerDelegate {
    bool respondsTo(Method method) const override {
        return method != Method::ExternalPlaybackIsActive || answersExternalPlayback;
    }
    void playerIsPlaying() override { trace.push_back("playing"); }
    void playerIsSeeking() override { trace.push_back("seeking"); }
    void playerRateChanged(float rate) override { trace.push_back("rate " + secondsText(rate)); }
    void setBuffering(bool buffering) override { trace.push_back(buffering ? "buffering" : "not buffering"); }
    void handleVideoError(const ErrorPtr& error) override {
        trace.push_back("error " + (error ? error->summary() : std::string("(null)")));
    }
    void playerSetupComplete(double position) override { trace.push_back("setup " + secondsText(position)); }
    void currentBufferedTime(double seconds) override { trace.push_back("buffered " + secondsText(seconds)); }
    void durationChanged(double seconds) override { trace.push_back("duration " + secondsText(seconds)); }
    void externalPlaybackIsActive(bool active) override { trace.push_back(active ? "external" : "not external"); }
    void selectNativeSubtitleAndAudioTrack() override { trace.push_back("select tracks"); }
    void availableSubtitlesAndAudioTracksChanged(const MediaSelectionGroupPtr& subtitles,
                                                 const MediaSelectionGroupPtr& audio) override {
        trace.push_back(std::string("groups ") + (subtitles ? "S" : "-") + (audio ? "A" : "-"));
    }
    void playerTrackInformationChanged() override { trace.push_back("track information"); }
    void playerReachedEnd() override { trace.push_back("end"); }

    bool contains(const std::string& line) const { return std::find(trace.begin(), trace.end(), line) != trace.end(); }

    bool answersExternalPlayback = true;
    std::vector<std::string> trace;
};

MediaSelectionOption makeOption(std::string id, std::string language, std::string title = {}) {
    MediaSelectionOption o{id, id, language, {}};
    if (!title.empty()) o.commonMetadata.push_back({"title", "comn", title, language});
    return o;
}

MediaSelectionGroupPtr makeGroup(MediaCharacteristic characteristic, std::vector<MediaSelectionOption> options) {
    return std::make_shared<MediaSelectionGroup>(MediaSelectionGroup{
        characteristic, std::move(options), characteristic == MediaCharacteristic::Legible, std::nullopt});
}

class MVNativeVideoPlayerTest : public ::testing::Test {
  protected:
    /// Sets a player up for the script and lets `seconds` of virtual time pass.
    void start(SimulatedAssetScript script, double initialPosition = 0, bool autoPlay = false, double seconds = 1) {
        env.media->setScript(kAssetURL, std::move(script));
        player->setPlayerDelegate(delegate);
        EXPECT_TRUE(player->setupVideoSessionWithURL(kAssetURL, "guid-1", "Title", "", std::nullopt, initialPosition,
                                                     autoPlay, nullptr));
        advance(seconds);
    }
    void advance(double seconds) {
        // In small steps, so that work posted by a due task runs before later deadlines.
        for (double passed = 0; passed < seconds - 1e-9; passed += 0.05) {
            env.advance(0.05);
            env.main().runPending();
        }
    }
    std::shared_ptr<test::SimulatedMediaPlayerItem> item() const {
        auto p = env.media->lastPlayer();
        return p ? p->simulatedItem() : nullptr;
    }

    test::TestPlatform env;
    std::shared_ptr<PlayerTraceDelegate> delegate = std::make_shared<PlayerTraceDelegate>();
    std::shared_ptr<MVNativeVideoPlayer> player = std::make_shared<MVNativeVideoPlayer>();
};

TEST_F(MVNativeVideoPlayerTest, StartPositionDecidesWhetherToSeek) {
    struct Case {
        double position;
        bool seeks;
    };
    // The seek needs 5 s between the position and the end of a 120 s asset.
    for (const auto& c : {Case{0, false}, Case{116, false}, Case{115.5, false}, Case{115, true}, Case{30.7, true}}) {
        SCOPED_TRACE(c.position);
        delegate = std::make_shared<PlayerTraceDelegate>();
        player = std::make_shared<MVNativeVideoPlayer>();
        start({}, c.position);
        ASSERT_TRUE(item());
        if (c.seeks) {
            EXPECT_EQ(item()->seekTargets(), std::vector<double>{std::trunc(c.position)});
            const std::vector<std::string> expected = {"duration 120", "not external", "rate 0", "not external",
                                                       "setup " + secondsText(std::trunc(c.position))};
            EXPECT_EQ(std::vector<std::string>(delegate->trace.begin(), delegate->trace.begin() + 5), expected);
        } else {
            EXPECT_TRUE(item()->seekTargets().empty());
            const std::vector<std::string> expected = {"duration 120", "rate 0", "not external", "setup 0"};
            EXPECT_EQ(std::vector<std::string>(delegate->trace.begin(), delegate->trace.begin() + 4), expected);
        }
        EXPECT_TRUE(player->initialSeekComplete() || !c.seeks);
        EXPECT_FALSE(player->isSeeking());
        player->tearDownSession();
    }
}

TEST_F(MVNativeVideoPlayerTest, StartSeekLandingAtZeroIsRetriedEveryTwoSecondsSevenTimes) {
    SimulatedAssetScript script;
    script.seeksLandingAtZero = 100;
    start(script, 60, false, 0.5);
    ASSERT_TRUE(item());
    EXPECT_EQ(item()->seekTargets().size(), 1u);
    EXPECT_TRUE(player->isSeeking());

    // The first seek answers at 0.2 s; the retry waits 2.0 s after that.
    advance(1.6);
    EXPECT_EQ(item()->seekTargets().size(), 1u);
    advance(0.15);
    EXPECT_EQ(item()->seekTargets().size(), 2u);
    EXPECT_EQ(player->seekRetryCount(), 1);

    advance(20);
    EXPECT_EQ(item()->seekTargets(), std::vector<double>(8, 60));
    EXPECT_EQ(player->seekRetryCount(), 7);
    EXPECT_TRUE(player->initialSeekComplete());
    EXPECT_FALSE(player->isSeeking());
    EXPECT_TRUE(delegate->contains("setup 0"));
}

TEST_F(MVNativeVideoPlayerTest, StartSeekThatReachesItsTargetAfterTwoMisses) {
    SimulatedAssetScript script;
    script.seeksLandingAtZero = 2;
    start(script, 42.9, /*autoPlay=*/true, 6);
    ASSERT_TRUE(item());
    EXPECT_EQ(item()->seekTargets(), std::vector<double>(3, 42));
    EXPECT_EQ(player->seekRetryCount(), 2);
    EXPECT_FALSE(delegate->contains("rate 0"));  // auto-play plays instead
    EXPECT_TRUE(player->isPlaying());
    EXPECT_TRUE(std::any_of(delegate->trace.begin(), delegate->trace.end(),
                            [](const std::string& line) { return line.starts_with("setup 42"); }));
}

TEST_F(MVNativeVideoPlayerTest, SeekGoesToTheWholeSecondBelow) {
    start({});
    player->setIsSeeking(true);
    std::optional<bool> finished;
    player->seekToTime(12.9, [&](bool f) { finished = f; });
    advance(0.5);
    EXPECT_EQ(item()->seekTargets().back(), 12);
    EXPECT_EQ(finished, true);
    EXPECT_FALSE(player->isSeeking());
    EXPECT_DOUBLE_EQ(player->currentPosition(), 12);

    // A seek overtaken by cancelPendingSeeks answers "not finished".
    std::optional<bool> overtaken;
    player->seekToTime(30, [&](bool f) { overtaken = f; });
    player->cancelPendingSeeks();
    advance(0.5);
    EXPECT_EQ(overtaken, false);
}

TEST_F(MVNativeVideoPlayerTest, TrackCallbacksFollowTheGroups) {
    const auto subtitles = makeGroup(MediaCharacteristic::Legible, {makeOption("sv", "sv"), makeOption("fi", "fi")});
    const auto oneAudio = makeGroup(MediaCharacteristic::Audible, {makeOption("a-sv", "sv")});
    const auto twoAudio = makeGroup(MediaCharacteristic::Audible, {makeOption("a-sv", "sv"), makeOption("a-en", "en")});
    struct Case {
        const char* name;
        MediaSelectionGroupPtr legible, audible;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"subtitles", subtitles, oneAudio, {"rate 1", "select tracks", "groups SA", "track information"}},
        {"two audio tracks", nullptr, twoAudio, {"rate 1", "select tracks", "groups -A", "track information"}},
        {"one audio track", nullptr, oneAudio, {"rate 1", "groups --", "track information"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        delegate = std::make_shared<PlayerTraceDelegate>();
        player = std::make_shared<MVNativeVideoPlayer>();
        SimulatedAssetScript script;
        script.legible = c.legible;
        script.audible = c.audible;
        start(script);
        delegate->trace.clear();
        player->play();
        ASSERT_GE(delegate->trace.size(), c.expected.size());
        const auto count = static_cast<std::ptrdiff_t>(c.expected.size());
        EXPECT_EQ(std::vector<std::string>(delegate->trace.begin(), delegate->trace.begin() + count), c.expected);
        player->tearDownSession();
    }
}

TEST_F(MVNativeVideoPlayerTest, ZoomableWhenTheVideoAndScreenShapesDiffer) {
    struct Case {
        double videoWidth, videoHeight;
        ScreenBounds screen;
        bool zoomable;
    };
    const std::vector<Case> cases = {
        {1920, 1080, {360, 640}, false},  // 16:9 on a 16:9 screen
        {1920, 804, {360, 640}, true},    // 2.39:1 on the same screen
        {1920, 1080, {390, 844}, true},   // 16:9 on a taller phone
        {1920, 0, {360, 640}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.videoHeight);
        env.device->screenBounds_ = c.screen;
        player = std::make_shared<MVNativeVideoPlayer>();
        SimulatedAssetScript script;
        script.videoSize = MediaVideoSize{c.videoWidth, c.videoHeight};
        start(script);
        EXPECT_EQ(player->videoIsZoomable(), c.zoomable);

        player->setZoomedIn(true);
        player->updateZoomForOrientation(InterfaceOrientation::LandscapeLeft);
        EXPECT_EQ(player->videoIsZoomed(), c.zoomable);
        player->updateZoomForOrientation(InterfaceOrientation::Portrait);
        EXPECT_FALSE(player->videoIsZoomed());
        player->tearDownSession();
    }
}

TEST_F(MVNativeVideoPlayerTest, TearDownDuringLoadingNeverInitialises) {
    env.media->setScript(kAssetURL, SimulatedAssetScript{});
    player->setPlayerDelegate(delegate);
    player->setupVideoSessionWithURL(kAssetURL, "guid-1", "", "", std::nullopt, 30, true, nullptr);
    player->tearDownSession();
    advance(3);
    EXPECT_EQ(env.media->playersMade(), 0);
    EXPECT_TRUE(delegate->trace.empty());
    EXPECT_FALSE(player->drmDelegate());
    EXPECT_FALSE(env.media->lastAsset()->hasResourceLoaderDelegate());
}

TEST_F(MVNativeVideoPlayerTest, ObserversAreRemovedOnceAndRemovingAgainDoesNothing) {
    start({});
    auto simulatedPlayer = env.media->lastPlayer();
    EXPECT_EQ(simulatedPlayer->observerCount(), 2u);
    EXPECT_EQ(item()->observerCount(), 6u);

    player->removeKeyValueObservers();
    player->removeKeyValueObservers();
    EXPECT_EQ(simulatedPlayer->observerCount(), 0u);
    EXPECT_EQ(item()->observerCount(), 0u);
    player->tearDownSession();
    EXPECT_FALSE(player->player());
}

TEST_F(MVNativeVideoPlayerTest, FailuresReachTheDelegate) {
    const auto tracksError = makeError("MediaEngine", 3, "no tracks");
    SimulatedAssetScript unloadable;
    unloadable.tracksError = tracksError;
    test::LogCapture log;
    start(unloadable);
    EXPECT_EQ(delegate->trace, std::vector<std::string>{"error " + tracksError->summary()});
    EXPECT_EQ(env.media->playersMade(), 0);
    EXPECT_EQ(log.containing("Video playback failed: ").size(), 1u);

    delegate = std::make_shared<PlayerTraceDelegate>();
    player = std::make_shared<MVNativeVideoPlayer>();
    SimulatedAssetScript failing;
    failing.failAt = 3;
    failing.failure = makeError("CoreMediaErrorDomain", -12660, "forbidden");
    failing.errorLog = "403 https://media.test/seg3.ts";
    start(failing, 0, /*autoPlay=*/true, 5);
    EXPECT_TRUE(delegate->contains("error " + failing.failure->summary()));
    EXPECT_EQ(log.containing("Player Item error 403 https://media.test/seg3.ts").size(), 1u);
}

TEST_F(MVNativeVideoPlayerTest, DrmFailureIsReportedOnTheMainQueueAfterTheObserversGo) {
    start({});
    std::thread drmQueue([&] { player->drmErrorOccurred(makeError(kMovraErrorDomain, -1, "Playback DRM failure.")); });
    drmQueue.join();
    EXPECT_FALSE(delegate->contains("error com.movratavik -1: Playback DRM failure."));
    env.main().runPending();
    ASSERT_FALSE(delegate->trace.empty());
    EXPECT_EQ(delegate->trace.back().rfind("error com.movratavik -1", 0), 0u) << delegate->trace.back();
    EXPECT_EQ(item()->observerCount(), 0u);
}

TEST_F(MVNativeVideoPlayerTest, LastTrackChoiceIsAppliedFiveSecondsAfterTheExternalPlaybackCheck) {
    SimulatedAssetScript script;
    script.legible = makeGroup(MediaCharacteristic::Legible,
                               {makeOption("sv", "sv"), makeOption("nb", "nb"), makeOption("no", "no")});
    script.audible = makeGroup(MediaCharacteristic::Audible,
                               {makeOption("a-sv", "sv", "Svenska"), makeOption("a-en", "en", "English")});
    env.defaults->setObject(MVLastSelectedSubtitleKey, MVDiscriminator::languageCodeForCurrentTenant("no"));
    env.defaults->setObject(MVLastSelectedAudioTrackKey, "English");
    start(script, 0, false, 1);
    ASSERT_TRUE(item());
    EXPECT_FALSE(item()->selectedMediaOption(*script.legible));

    advance(4.5);
    ASSERT_TRUE(item()->selectedMediaOption(*script.legible));
    EXPECT_EQ(item()->selectedMediaOption(*script.legible)->identifier, "nb");  // "nb" is read as "no"
    EXPECT_EQ(item()->selectedMediaOption(*script.audible)->identifier, "a-en");

    // A delegate that does not answer externalPlaybackIsActive: no check, no re-application.
    delegate = std::make_shared<PlayerTraceDelegate>();
    delegate->answersExternalPlayback = false;
    player = std::make_shared<MVNativeVideoPlayer>();
    start(script, 0, false, 8);
    EXPECT_FALSE(item()->selectedMediaOption(*script.legible));
    EXPECT_FALSE(delegate->contains("not external"));
}

TEST_F(MVNativeVideoPlayerTest, PlaysToTheEndWithBufferingAndDurationInWholeSeconds) {
    SimulatedAssetScript script;
    script.duration = 10.6;
    script.stallAt = 4;
    script.stallDuration = 2;
    start(script, 0, /*autoPlay=*/true, 16);
    EXPECT_TRUE(delegate->contains("duration 10"));
    EXPECT_TRUE(delegate->contains("playing"));
    EXPECT_TRUE(delegate->contains("buffering"));
    EXPECT_TRUE(delegate->contains("not buffering"));
    EXPECT_TRUE(delegate->contains("end"));
    EXPECT_FALSE(player->isPlaying());
    EXPECT_DOUBLE_EQ(player->currentPosition(), 10.6);
}

TEST_F(MVNativeVideoPlayerTest, NothingPlaysOnTheSimulatorModel) {
    env.device->model_ = MVNativeVideoPlayer::kSimulatorModel;
    start({}, 30, true, 3);
    EXPECT_EQ(env.media->playersMade(), 0);
    EXPECT_TRUE(delegate->trace.empty());
}

}  // namespace
}  // namespace movra
