// The player screen on the simulated engine and a scripted service, in virtual time: what each session answer
// shows, start positions, bookmarks, cue points, the renewal after a long pause, tear-down and the end.
#include "App/MVDiscriminator.h"
#include "Foundation/Strings.h"
#include "Model/MVSharedBookmarkCache.h"
#include "Sections/MoviePlayer/MVDRMVideoPlayerViewController.h"
#include "support/TestImages.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace movra {
namespace {

using test::ScriptedReply;
using test::xmlReply;

constexpr const char* kContentURL = "https://api.test/stoffice/session/title-1?assetId=a1&profile=MVTK-HLS-FPS";
constexpr const char* kStreamURL = "https://media.test/a1/master.m3u8";
constexpr const char* kPictureBase = "https://media.test/a1/images_1/a1_1.";

std::string sessionResult(const std::string& body) {
    return "<?xml version=\"1.0\"?><result xmlns:stravo=\"http://stravo.test/ns\">" + body + "</result>";
}

std::string sessionSuccess(const std::string& extra = {}) {
    return sessionResult("<status>success</status><url>" + std::string(kStreamURL) + "</url>" + extra);
}

std::shared_ptr<MVItem> titleWithContent(int contentDuration) {
    auto item = std::make_shared<MVItem>();
    item->setGuid("title-1");
    item->setTitle("Frost Line");
    Json content = {
        {"medium", "video"}, {"profile", "MVTK-HLS-FPS"}, {"url", kContentURL}, {"duration", contentDuration}};
    item->setGroupData(Json{{"content", Json::array({content})}, {"thumbnails", Json::array()}}.dump());
    return item;
}

struct ScreenDelegateRecorder final : MVDRMVideoPlayerViewControllerDelegate {
    void cuePointHit(const std::shared_ptr<MVItem>&, long long countdown) override { countdowns.push_back(countdown); }
    void dismissPlayer() override { ++dismissals; }
    std::vector<long long> countdowns;
    int dismissals = 0;
};

class MVDRMVideoPlayerViewControllerTest : public ::testing::Test {
  protected:
    MVDRMVideoPlayerViewControllerTest() : client(MVHTTPClient::initSharedClientWithHost("api.test")) {
        env.network->setScript([this](const HttpRequest& request) {
            if (request.url == kStreamURL)
                return test::reply(
                    200, "application/vnd.apple.mpegurl",
                    "#EXTM3U\n#EXT-X-STREAM-INF:PROGRAM-ID=1,BANDWIDTH=900000\nvideo/a1_720/index.m3u8\n");
            if (request.url.rfind(kPictureBase, 0) == 0) {
                // Each picture is painted with its second in the red channel.
                const int second = std::stoi(request.url.substr(std::string(kPictureBase).size(), 5));
                if (missingPictures.count(second)) return test::reply(404, "text/plain", "");
                return test::pngReply(*test::paintedImage(1, 1, [second](int, int) {
                    return test::Rgba{static_cast<unsigned char>(second), 0, 0, 255};
                }));
            }
            if (request.url.find("/stoffice/client/settings") != std::string::npos)
                return request.method == "GET" ? settingsReply
                                               : xmlReply(200, "<result><status>Success</status></result>");
            if (request.method == "GET") return sessionReply;
            return xmlReply(200, sessionResult("<status>success</status>"));
        });
        authObserver = ScopedObserver(env.platform().notificationCenter(),
                                      env.platform().notificationCenter().addObserver(
                                          MVNotificationAuthenticationRequired, [this](auto&) { ++authRequired; }));
    }
    ~MVDRMVideoPlayerViewControllerTest() override { MVSharedBookmarkCache::sharedCache()->resetCache(); }

    /// Shows a new screen for `item` and waits for the session's answer to be acted on.
    void open(std::shared_ptr<MVItem> item, double assetDuration = 120, bool fromBeginning = false) {
        script.duration = assetDuration;
        env.media->setScript(kStreamURL, script);
        screen = std::make_shared<MVDRMVideoPlayerViewController>();
        screen->setDelegate(delegate);
        screen->loadViewIfNeeded();
        screen->setAssetItem(std::move(item));
        screen->setStartFromBeginning(fromBeginning);
        const auto before = authRequired;
        screen->viewDidAppear(true);
        EXPECT_TRUE(
            env.runUntil([&] { return screen->nativePlayer() || env.ui->lastAlert() || authRequired > before; }));
    }
    /// Lets `seconds` of virtual time pass in small steps, answers included.
    void pass(double seconds) {
        for (double passed = 0; passed < seconds - 1e-9; passed += 0.05) {
            env.advance(0.05);
            env.main().runPending();
        }
    }
    /// The URLs of the session requests sent with `method`.
    std::vector<std::string> requests(const std::string& method) const {
        std::vector<std::string> urls;
        for (const auto& r : env.network->requests())
            if (r.method == method && r.url.find("/stoffice/session/") != std::string::npos) urls.push_back(r.url);
        return urls;
    }
    std::shared_ptr<test::SimulatedMediaPlayerItem> item() const {
        auto p = env.media->lastPlayer();
        return p ? p->simulatedItem() : nullptr;
    }

    // The seek pictures' disk cache lives under the data directory.
    test::TemporaryDirectory data;
    test::TestPlatform env{[this] {
        test::TestPlatform::Options options;
        options.configuration.dataDirectory = data.path();
        return options;
    }()};
    test::SimulatedAssetScript script;
    std::shared_ptr<MVHTTPClient> client;
    ScriptedReply sessionReply = xmlReply(200, sessionSuccess());
    ScriptedReply settingsReply = xmlReply(200, "<result><status>Success</status><settings></settings></result>");
    std::shared_ptr<ScreenDelegateRecorder> delegate = std::make_shared<ScreenDelegateRecorder>();
    std::set<int> missingPictures;
    std::shared_ptr<MVDRMVideoPlayerViewController> screen;
    ScopedObserver authObserver;
    int authRequired = 0;
};

TEST_F(MVDRMVideoPlayerViewControllerTest, SessionAnswersBecomeOneAlertOrNone) {
    const auto payment =
        replaceAll("Please update your payment information to activate your subscription. Go to your settings on %@.",
                   "%@", MVDiscriminator::tenantUserURL());
    const std::string unavailable = "We are sorry, but the selected video is currently unavailable.";
    const std::string serviceDown = "A problem has occured and the service may be temporarily unavailable.";
    struct Case {
        const char* name;
        ScriptedReply reply;
        bool reachable;
        std::optional<std::pair<std::string, std::string>> alert;  // title, message
        bool asksForSignIn = false;
    };
    // Why the playback-quality session ended, by case.
    const std::map<std::string, std::string> qualityErrors = {
        {"payment", "Payment required."},
        {"refused with a message", "Playback failed."},
        {"timed out", "Playback failed."},
        {"timed out offline", "Playback failed."},
        {"server error", "Playback failed."},
        {"other status with a message", "No"},
        {"other status", "Playback failed."},
        {"unreadable", "Playback failed."},
        {"authenticate", "Authentication Required"},
        {"no stream", "Playback failed."},
    };
    const auto timeout = test::failedReply(makeError(kURLErrorDomain, kURLErrorTimedOut));
    const std::vector<Case> cases = {
        {"payment", xmlReply(402, sessionResult("<status>failure</status><errorCode>ST2002</errorCode>")), true,
         std::pair{"", payment}},
        {"refused with a message",
         xmlReply(500, sessionResult("<status>failure</status><userMessage>Not here</userMessage>")), true,
         std::pair{"", "Not here"}},
        {"401", xmlReply(401, sessionResult("<status>failure</status>")), true, std::nullopt, true},
        {"timed out", timeout, true, std::pair{"Error", serviceDown}},
        {"timed out offline", timeout, false,
         std::pair{"", "Sorry, No network connection is available at the moment."}},
        {"server error", xmlReply(500, sessionResult("<status>failure</status>")), true,
         std::pair{"Error", unavailable}},
        {"other status with a message",
         xmlReply(200, sessionResult("<status>denied</status><userMessage>No</userMessage>")), true,
         std::pair{"Error", "No"}},
        {"other status", xmlReply(200, sessionResult("<status>denied</status>")), true,
         std::pair{"Error", unavailable}},
        {"unreadable", test::reply(200, "text/html", "<html/>"), true, std::pair{"Error", unavailable}},
        {"authenticate", xmlReply(200, sessionResult("<status>authenticate</status>")), true, std::nullopt, true},
        // A session without a stream would leave the screen loading for ever.
        {"no stream", xmlReply(200, sessionResult("<status>success</status>")), true, std::pair{"Error", unavailable}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sessionReply = c.reply;
        env.reachability->reachable_ = c.reachable;
        const int asked = authRequired;
        const auto qualityCalls = env.playbackQuality->calls.size();
        open(titleWithContent(120));
        pass(0.1);
        EXPECT_FALSE(screen->nativePlayer());
        EXPECT_EQ(authRequired > asked, c.asksForSignIn);
        std::vector<std::string> errors;
        for (auto i = qualityCalls; i < env.playbackQuality->calls.size(); ++i)
            if (env.playbackQuality->calls[i].starts_with("error "))
                errors.push_back(env.playbackQuality->calls[i].substr(env.playbackQuality->calls[i].find(' ', 6) + 1));
        const auto reason = qualityErrors.find(c.name);
        EXPECT_EQ(errors, reason == qualityErrors.end() ? std::vector<std::string>{}
                                                        : std::vector<std::string>{reason->second});
        auto alerts = env.ui->visibleAlerts();
        if (!c.alert) {
            EXPECT_TRUE(alerts.empty());
            continue;
        }
        ASSERT_EQ(alerts.size(), 1u);
        EXPECT_EQ(alerts[0]->title(), c.alert->first);
        EXPECT_EQ(alerts[0]->message(), c.alert->second);
        // Dismissing it closes the player.
        const int dismissals = delegate->dismissals;
        alerts[0]->tapButton("OK");
        EXPECT_EQ(delegate->dismissals, dismissals + 1);
        EXPECT_TRUE(screen->isTearingDown());
    }
}

TEST_F(MVDRMVideoPlayerViewControllerTest, StartPositionFollowsTheBookmarkUnlessAlmostDoneOrFromTheBeginning) {
    struct Case {
        const char* name;
        long long bookmark;
        bool fromBeginning;
        std::vector<double> seeks;
    };
    // A 1000 s title is almost completed with less than 121 s left.
    for (const auto& c : {Case{"bookmark", 300, false, {300}}, Case{"none", 0, false, {}},
                          Case{"from the beginning", 300, true, {}}, Case{"almost completed", 900, false, {}}}) {
        SCOPED_TRACE(c.name);
        auto title = titleWithContent(1000);
        MVSharedBookmarkCache::sharedCache()->setBookmarkSeconds(c.bookmark, *title);
        open(title, 1000, c.fromBeginning);
        pass(1);
        ASSERT_TRUE(item());
        EXPECT_EQ(item()->seekTargets(), c.seeks);
        EXPECT_FALSE(screen->startFromBeginning());
        screen->tearDown(nullptr);
    }
}

TEST_F(MVDRMVideoPlayerViewControllerTest, BookmarksGoOutAtSetUpEveryThirtySecondsAndOnPauseInWholeSeconds) {
    open(titleWithContent(120));
    pass(1);
    ASSERT_EQ(requests("POST").size(), 1u);  // set-up complete
    EXPECT_NE(requests("POST")[0].find("bookmarkSecs=0"), std::string::npos) << requests("POST")[0];
    pass(30);
    ASSERT_EQ(requests("POST").size(), 2u);
    while (screen->currentVideoPlayer()->currentPosition() < 59.9) pass(0.05);
    ASSERT_LT(screen->currentVideoPlayer()->currentPosition(), 60);
    screen->pause();
    ASSERT_EQ(requests("POST").size(), 3u);
    EXPECT_NE(requests("POST")[2].find("bookmarkSecs=59"), std::string::npos) << requests("POST")[2];
    EXPECT_EQ(MVSharedBookmarkCache::sharedCache()->bookmarkCache().at("title-1"), 59);
    // Paused, the timer is stopped.
    pass(60);
    EXPECT_EQ(requests("POST").size(), 3u);
    // Offline, the position is kept in the cache.
    screen->play();
    ASSERT_TRUE(env.runUntil([&] { return screen->currentVideoPlayer()->isPlaying(); }));
    pass(5);
    screen->networkStatusChanged(false);
    EXPECT_EQ(MVSharedBookmarkCache::sharedCache()->bookmarkCache().at("title-1"), 64);
}

TEST_F(MVDRMVideoPlayerViewControllerTest, CuePointFiresOnceWithTheDefaultCountdownEvenAfterSeekingBack) {
    sessionReply = xmlReply(
        200, sessionSuccess(
                 "<stravo:cuePoints><stravo:cuePoint type=\"chainplay\">90500</stravo:cuePoint></stravo:cuePoints>"
                 "<item><guid>next-1</guid><title>Next</title></item>"));
    open(titleWithContent(120));
    pass(1);
    EXPECT_EQ(screen->countdownSeconds(), 15);
    ASSERT_TRUE(screen->chainPlayItem());
    EXPECT_EQ(screen->chainPlayItem()->guid(), "next-1");
    pass(88);
    EXPECT_TRUE(delegate->countdowns.empty()) << screen->currentVideoPlayer()->currentPosition();
    pass(2);
    EXPECT_EQ(delegate->countdowns, std::vector<long long>{15});
    screen->currentVideoPlayer()->seekToTime(80, nullptr);
    pass(15);
    EXPECT_GT(screen->currentVideoPlayer()->currentPosition(), 91);
    EXPECT_EQ(delegate->countdowns.size(), 1u);
}

TEST_F(MVDRMVideoPlayerViewControllerTest, APauseOfMoreThanThirtySecondsRenewsTheSession) {
    open(titleWithContent(120));
    pass(1);
    for (const auto& [pause, sessions] : {std::pair{29.5, 1u}, std::pair{31.0, 2u}}) {
        SCOPED_TRACE(pause);
        screen->pause();
        pass(pause);
        screen->play();
        EXPECT_TRUE(env.runUntil([&] { return requests("GET").size() == sessions; }));
        env.runUntil([&] { return screen->currentVideoPlayer()->isPlaying(); });
        EXPECT_TRUE(screen->currentVideoPlayer()->isPlaying());
        EXPECT_EQ(env.media->playersMade(), 1);  // the stream is not loaded again
    }
}

TEST_F(MVDRMVideoPlayerViewControllerTest, TearDownClosesTheSessionWithTheFinalSecondsAndFinishesTwoSecondsLater) {
    open(titleWithContent(120));
    pass(12.5);
    bool finished = false;
    screen->tearDown([&] { finished = true; });
    EXPECT_FALSE(screen->nativePlayer());
    ASSERT_TRUE(env.runUntil([&] { return requests("DELETE").size() == 1; }));
    EXPECT_NE(requests("DELETE")[0].find("bookmarkSecs=12"), std::string::npos) << requests("DELETE")[0];
    EXPECT_EQ(MVSharedBookmarkCache::sharedCache()->bookmarkCache().at("title-1"), 12);
    // The answer arrives; the loop keeps turning while the completion waits in virtual time.
    env.runUntil([] { return false; }, 0.2);
    pass(1.9);
    EXPECT_FALSE(finished);
    pass(0.2);
    EXPECT_TRUE(finished);
}

TEST_F(MVDRMVideoPlayerViewControllerTest, TheEndStoresTheDurationAndClosesOrOffersTheNextTitle) {
    for (bool withCuePoint : {false, true}) {
        SCOPED_TRACE(withCuePoint);
        delegate = std::make_shared<ScreenDelegateRecorder>();
        sessionReply =
            xmlReply(200, sessionSuccess(withCuePoint ? "<stravo:chainplayTimer>9</stravo:chainplayTimer>"
                                                        "<stravo:cuePoints><stravo:cuePoint>500000</stravo:cuePoint>"
                                                        "</stravo:cuePoints>"
                                                      : ""));
        open(titleWithContent(118), 20);
        pass(21);
        EXPECT_EQ(MVSharedBookmarkCache::sharedCache()->bookmarkCache().at("title-1"), 118);
        EXPECT_EQ(delegate->dismissals, withCuePoint ? 0 : 1);
        EXPECT_EQ(delegate->countdowns, withCuePoint ? std::vector<long long>{9} : std::vector<long long>{});
        screen->tearDown(nullptr);
    }
}

TEST_F(MVDRMVideoPlayerViewControllerTest, ASecondErrorWhileTheAlertIsUpShowsNothingMore) {
    open(titleWithContent(120));
    pass(1);
    screen->handleVideoError(makeError(kMovraErrorDomain, -1, "Playback DRM failure."));
    screen->handleVideoError(makeError(kMovraErrorDomain, -1, "Playback DRM failure."));
    screen->showUnknownPlaybackError(true);
    auto alerts = env.ui->visibleAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0]->title(), "Playback failed");
    EXPECT_EQ(alerts[0]->message(), "There was an error playing the video.");
    alerts[0]->tapButton("OK");
    EXPECT_EQ(delegate->dismissals, 1);
    EXPECT_TRUE(env.runUntil([&] { return requests("DELETE").size() == 1; }));
}

MediaSelectionGroupPtr group(MediaCharacteristic characteristic,
                             const std::vector<std::pair<std::string, std::string>>& namesAndLanguages) {
    auto g = std::make_shared<MediaSelectionGroup>();
    g->characteristic = characteristic;
    g->allowsEmptySelection = characteristic == MediaCharacteristic::Legible;
    for (const auto& [name, language] : namesAndLanguages)
        g->options.push_back({name + "-" + language, name, language, {{"title", "comn", name, language}}});
    return g;
}

TEST_F(MVDRMVideoPlayerViewControllerTest, TracksFollowTheSavedChoiceElseTheDeviceLanguage) {
    script.legible = group(MediaCharacteristic::Legible, {{"Svenska", "sv"}, {"Norsk", "no"}});
    script.audible = group(MediaCharacteristic::Audible, {{"Svenska", "sv"}, {"English", "en"}, {"Svenska 5.1", "sv"}});
    // The account is out of reach: the device's own memory decides.
    settingsReply = xmlReply(500, "<result><status>error</status></result>");
    struct Case {
        std::optional<std::string> savedSubtitle, savedAudio;
        std::string deviceLanguage;
        std::optional<std::string> subtitle, audio, storedAudio;
    };
    for (const auto& c : std::vector<Case>{
             {"no", "English", "sv", "Norsk", "English", "English"},
             // No saved audio: the last rendition in the device's language.
             {std::nullopt, std::nullopt, "sv", std::nullopt, "Svenska 5.1", "Svenska 5.1"},
             // A saved name the title lacks, a device language it lacks: the audio is left alone.
             {"de", "Deutsch", "fi", std::nullopt, std::nullopt, "Deutsch"},
         }) {
        SCOPED_TRACE(c.deviceLanguage + " " + c.savedAudio.value_or("-"));
        auto& defaults = env.platform().defaults();
        defaults.removeObject(MVLastSelectedSubtitleKey);
        defaults.removeObject(MVLastSelectedAudioTrackKey);
        if (c.savedSubtitle) defaults.setObject(MVLastSelectedSubtitleKey, *c.savedSubtitle);
        if (c.savedAudio) defaults.setObject(MVLastSelectedAudioTrackKey, *c.savedAudio);
        env.locale->languageCode_ = c.deviceLanguage;
        open(titleWithContent(120));
        pass(2);
        ASSERT_TRUE(item());
        auto name = [](const std::optional<MediaSelectionOption>& o) {
            return o ? std::optional(o->displayName) : std::nullopt;
        };
        EXPECT_EQ(name(item()->selectedMediaOption(*script.legible)), c.subtitle);
        EXPECT_EQ(name(item()->selectedMediaOption(*script.audible)), c.audio);
        EXPECT_EQ(defaults.stringForKey(MVLastSelectedAudioTrackKey), c.storedAudio);
        screen->tearDown(nullptr);
    }
}

TEST_F(MVDRMVideoPlayerViewControllerTest, APickedChoiceIsAppliedRememberedAndSavedToTheAccount) {
    script.legible = group(MediaCharacteristic::Legible, {{"Svenska", "sv"}, {"Norsk", "no"}});
    script.audible = group(MediaCharacteristic::Audible, {{"Svenska", "sv"}, {"English", "en"}});
    open(titleWithContent(120));
    pass(2);
    auto player = env.media->lastPlayer();
    ASSERT_TRUE(player && item());
    struct Pick {
        std::size_t subtitleRow, audioRow;
        std::string storedSubtitle;
        std::optional<std::string> shownSubtitle;
        std::string savedSubtitle;
    };
    for (const auto& pick : std::vector<Pick>{{2, 1, "no", "Norsk", "no"}, {0, 1, "", std::nullopt, "none"}}) {
        auto picker = screen->subtitleButtonTapped();
        ASSERT_TRUE(picker);
        EXPECT_EQ(screen->presentedViewController(), picker);
        EXPECT_EQ(player->rate(), 0);
        ASSERT_TRUE(picker->selectSubtitleAtIndex(pick.subtitleRow));
        ASSERT_TRUE(picker->selectAudioTrackAtIndex(pick.audioRow));
        const auto before = env.network->requests().size();
        picker->doneTapped();
        EXPECT_FALSE(screen->presentedViewController());
        EXPECT_EQ(env.platform().defaults().stringForKey(MVLastSelectedSubtitleKey), pick.storedSubtitle);
        EXPECT_EQ(env.platform().defaults().stringForKey(MVLastSelectedAudioTrackKey), "English");
        auto selected = item()->selectedMediaOption(*script.legible);
        EXPECT_EQ(selected ? std::optional(selected->displayName) : std::nullopt, pick.shownSubtitle);
        EXPECT_EQ(item()->selectedMediaOption(*script.audible)->displayName, "English");
        EXPECT_EQ(player->rate(), 1);
        // Other requests (the settings read of the screen's loading) may still be on their way.
        std::optional<HttpRequest> saved;
        ASSERT_TRUE(env.runUntil([&] {
            const auto sent = env.network->requests();
            for (auto it = sent.begin() + static_cast<std::ptrdiff_t>(before); it != sent.end(); ++it)
                if (it->method == "POST" && it->url.find("/stoffice/client/settings") != std::string::npos) saved = *it;
            return saved.has_value();
        }));
        EXPECT_NE(saved->body.find(pick.savedSubtitle), std::string::npos) << saved->body;
        EXPECT_NE(saved->body.find("English"), std::string::npos) << saved->body;
    }
    // The next opening shows the remembered choice.
    auto again = screen->subtitleButtonTapped();
    EXPECT_EQ(again->selectedSubtitle(), "");
    EXPECT_EQ(again->selectedAudioTrack(), "English");
    screen->tearDown(nullptr);
}

TEST_F(MVDRMVideoPlayerViewControllerTest, TheAccountsTenantSubtitleIsAppliedWhenTheScreenLoads) {
    MVDiscriminator::initSharedDiscriminatorWithJSON({{"url", "api.test"}, {"cc", {"SE"}}, {"name", "MVTK"}});
    script.legible = group(MediaCharacteristic::Legible, {{"Svenska", "sv"}, {"Norsk", "no"}});
    script.audible = group(MediaCharacteristic::Audible, {{"Svenska", "sv"}, {"English", "en"}});
    for (const auto& [setting, subtitle] : std::vector<std::pair<std::string, std::optional<std::string>>>{
             {"no_mvtk", "Norsk"}, {"no", std::nullopt}, {"NONE", std::nullopt}}) {
        SCOPED_TRACE(setting);
        env.platform().defaults().removeObject(MVLastSelectedSubtitleKey);
        settingsReply =
            xmlReply(200, "<result><status>Success</status><settings><setting><name>subtitle</name><value>" + setting +
                              "</value></setting><setting><name>audioTrack</name><value>English</value>"
                              "</setting></settings></result>");
        open(titleWithContent(120));
        pass(2);
        ASSERT_TRUE(item());
        auto selected = item()->selectedMediaOption(*script.legible);
        EXPECT_EQ(selected ? std::optional(selected->displayName) : std::nullopt, subtitle);
        EXPECT_EQ(item()->selectedMediaOption(*script.audible)->displayName, "English");
        screen->tearDown(nullptr);
    }
}

TEST_F(MVDRMVideoPlayerViewControllerTest, TheSeekBarKeepsClearOfTheEndAndPlaysOnWhereItLands) {
    open(titleWithContent(120));
    pass(2);
    ASSERT_TRUE(item());
    // The native player seeks in whole seconds.
    for (const auto& [released, landed] : {std::pair{119.0, 118.0}, std::pair{200.0, 118.0}, std::pair{60.5, 60.0}}) {
        SCOPED_TRACE(released);
        screen->seekBarTouched();
        EXPECT_TRUE(screen->isUserSeeking());
        EXPECT_EQ(env.media->lastPlayer()->rate(), 0);
        screen->seekBarChanged(released);
        // Dragging already moves the resume position.
        EXPECT_EQ(MVSharedBookmarkCache::sharedCache()->bookmarkCache().at("title-1"),
                  static_cast<long long>(std::min(released, 120.0)));
        screen->seekBarDoneSeeking();
        EXPECT_EQ(item()->seekTargets().back(), landed);
        pass(0.5);
        EXPECT_FALSE(screen->isUserSeeking());
        EXPECT_TRUE(screen->waitingForSeekToNormalize());
        EXPECT_EQ(env.media->lastPlayer()->rate(), 1);
    }
    screen->tearDown(nullptr);
}

TEST_F(MVDRMVideoPlayerViewControllerTest, ControlsHideSixSecondsAfterTheLastTouch) {
    open(titleWithContent(120));
    pass(2);
    screen->play();
    pass(5.5);
    EXPECT_FALSE(screen->controlsHidden());
    screen->seekBarChanged(30);  // a touch pushes the timer back
    pass(5.5);
    EXPECT_FALSE(screen->controlsHidden());
    pass(1);
    EXPECT_TRUE(screen->controlsHidden());
    screen->tapGestureRecognizerTriggered();
    EXPECT_FALSE(screen->controlsHidden());
    screen->pause();  // paused, the controls stay
    pass(7);
    EXPECT_FALSE(screen->controlsHidden());
    screen->tearDown(nullptr);
}

TEST_F(MVDRMVideoPlayerViewControllerTest, SubtitleCuesReachTheObserver) {
    struct CueRecorder final : MVDRMVideoPlayerViewControllerObserver {
        void subtitleCue(const std::string& text, double start, double) override {
            cues.push_back(text + "@" + std::to_string(static_cast<int>(start)));
        }
        std::vector<std::string> cues;
    };
    auto recorder = std::make_shared<CueRecorder>();
    open(titleWithContent(120));
    screen->setObserver(recorder);
    pass(2);
    ASSERT_TRUE(item());
    item()->emitCue({"Hej", 4.5, 7});
    EXPECT_EQ(recorder->cues, std::vector<std::string>{"Hej@4"});
    screen->tearDown(nullptr);
}

TEST_F(MVDRMVideoPlayerViewControllerTest, NowPlayingShowsTheTitleAndItsCommandsDriveTheScreen) {
    open(titleWithContent(120));
    pass(2);
    ASSERT_TRUE(env.nowPlaying->info);
    EXPECT_EQ(env.nowPlaying->info->title, "Frost Line");
    EXPECT_EQ(env.nowPlaying->info->trackId, "title-1");
    EXPECT_EQ(env.nowPlaying->info->rate, 1);
    auto player = env.media->lastPlayer();

    ASSERT_TRUE(env.nowPlaying->send(RemoteCommand::Pause));
    EXPECT_EQ(screen->userPlayerState(), 0);
    EXPECT_EQ(player->rate(), 0);
    EXPECT_EQ(env.nowPlaying->info->rate, 0);
    env.nowPlaying->send(RemoteCommand::TogglePlayPause);
    EXPECT_EQ(screen->userPlayerState(), 1);
    EXPECT_EQ(player->rate(), 1);
    env.nowPlaying->send(RemoteCommand::ChangePlaybackPosition, 42.7);
    EXPECT_EQ(item()->seekTargets().back(), 42);
    EXPECT_NEAR(env.nowPlaying->info->elapsed, 42.7, 1e-9);

    // In the background, and once the screen is gone, nothing is listening.
    screen->appWillResignActive();
    EXPECT_FALSE(env.nowPlaying->handler);
    screen->appBecameActive();
    EXPECT_TRUE(env.nowPlaying->handler);
    screen->tearDown(nullptr);
    EXPECT_FALSE(env.nowPlaying->handler);
    EXPECT_FALSE(env.nowPlaying->info);
}

TEST(MVDRMVideoPlayerViewControllerTimeTest, TimesShowHoursOnlyFromAnHourOn) {
    for (const auto& [seconds, text] : std::vector<std::pair<double, std::string>>{
             {0, "0:00"}, {59.9, "0:59"}, {61, "1:01"}, {3599, "59:59"}, {3600, "1:00:00"}, {36061, "10:01:01"}})
        EXPECT_EQ(MVDRMVideoPlayerViewController::timeStringFromSeconds(seconds), text) << seconds;
}

}  // namespace
}  // namespace movra

namespace movra {
namespace {

TEST_F(MVDRMVideoPlayerViewControllerTest, EachViewingIsOneQualitySessionEndedWithItsReason) {
    auto& quality = *env.playbackQuality;
    open(titleWithContent(120));
    pass(1);
    ASSERT_TRUE(screen->nativePlayer());
    EXPECT_EQ(quality.calls, (std::vector<std::string>{"create 1", "attach 1"}));
    ASSERT_EQ(quality.contents.size(), 1u);
    EXPECT_EQ(quality.players.at(0), screen->nativePlayer()->player());

    // A failure of the service's own domain is reported with its text, and only once.
    screen->handleVideoError(makeError(kMovraErrorDomain, -1, "Playback DRM failure."));
    EXPECT_EQ(quality.calls,
              (std::vector<std::string>{"create 1", "attach 1", "error 1 Playback DRM failure.", "cleanup 1"}));
    // Playing again after the failure watches the same player in a new session.
    screen->play();
    EXPECT_EQ(quality.calls.at(4), "create 2");
    EXPECT_EQ(quality.calls.at(5), "attach 2");
    // Another failure carries the generic reason; going to the background then ends nothing more.
    screen->handleVideoError(makeError("Engine", 7, "Decoder broke"));
    EXPECT_EQ(quality.calls.at(6), "error 2 Video playback error");
    EXPECT_EQ(quality.calls.at(7), "cleanup 2");
    screen->appWillResignActive();
    EXPECT_EQ(quality.calls.size(), 8u);
    EXPECT_FALSE(screen->convivaController());

    // Back from the background: a new session, closed plainly with the viewing.
    screen->play();
    screen->tearDown(nullptr);
    EXPECT_EQ(quality.calls.back(), "cleanup 3");
    EXPECT_FALSE(screen->convivaController());
}

TEST_F(MVDRMVideoPlayerViewControllerTest, TheSeekBarShowsPrefetchedPicturesAndLoadsTheReleasedSecond) {
    struct ThumbnailRecorder final : MVDRMVideoPlayerViewControllerObserver {
        void seekThumbnailShown(double seconds, bool loaded) override {
            shown.push_back(std::to_string(static_cast<int>(seconds)) + (loaded ? " loaded" : " cached"));
        }
        std::vector<std::string> shown;
    };
    auto secondOf = [](const ImagePtr& image) { return image ? image->rgba[0] : -1; };
    auto pictureRequests = [&] {
        std::set<std::string> urls;
        for (const auto& r : env.network->requests())
            if (r.url.rfind(kPictureBase, 0) == 0) urls.insert(r.url);
        return urls.size();
    };
    auto recorder = std::make_shared<ThumbnailRecorder>();
    missingPictures = {45};
    // 12 minutes: a picture every 2 seconds makes the 360 of the prefetch.
    open(titleWithContent(720), 720);
    screen->setObserver(recorder);
    pass(1);
    ASSERT_TRUE(screen->seekCache());
    EXPECT_EQ(screen->seekCache()->step(), 2u);
    ASSERT_TRUE(env.runUntil([&] {
        return screen->seekCache()->baseFramePath().has_value() && screen->seekCache()->operationCount() == 0;
    }));
    EXPECT_EQ(*screen->seekCache()->baseFramePath(), kPictureBase);
    EXPECT_EQ(pictureRequests(), 360u);

    // Moving shows the prefetched picture of the step below; letting go loads the released second's.
    screen->seekBarTouched();
    EXPECT_TRUE(screen->seekThumbnailShown());
    screen->seekBarChanged(31.4);
    EXPECT_EQ(secondOf(screen->seekThumbnail()), 30);
    screen->seekBarDoneSeeking();
    ASSERT_TRUE(env.runUntil([&] { return recorder->shown.size() == 2; }));
    EXPECT_EQ(recorder->shown, (std::vector<std::string>{"31 cached", "31 loaded"}));
    EXPECT_EQ(secondOf(screen->seekThumbnail()), 31);
    pass(0.5);
    EXPECT_FALSE(screen->seekThumbnailShown());

    // A picture that cannot be had leaves the one of the step below.
    screen->seekBarTouched();
    screen->seekBarChanged(45.2);
    screen->seekBarDoneSeeking();
    pass(0.5);
    EXPECT_EQ(secondOf(screen->seekThumbnail()), 44);
    EXPECT_EQ(recorder->shown.back(), "45 cached");

    screen->tearDown(nullptr);
    EXPECT_FALSE(screen->seekCache());
}

}  // namespace
}  // namespace movra
