// The GStreamer engine on a real AES-128 HLS stream with alternate audio and subtitles, served over TLS on
// loopback with a private CA, played headless in real time.
#include "Foundation/ThreadPoolQueue.h"
#include "Platform/CurlHttpTransport.h"
#include "Platform/GStreamerMediaEngine.h"
#include "Platform/GStreamerPlayerItem.h"
#include "movra-backend/CertificateAuthority.h"
#include "support/ChildProcess.h"
#include "support/TemporaryDirectory.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <thread>

namespace movra {
namespace {

constexpr const char* kKey = "0123456789abcdef";
constexpr double kMediaSeconds = 8;

const char* kMaster = R"(#EXTM3U
#EXT-X-VERSION:3
#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID="aud",NAME="Svenska",LANGUAGE="sv",DEFAULT=YES,AUTOSELECT=YES,URI="sv/index.m3u8"
#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID="aud",NAME="English",LANGUAGE="en",DEFAULT=NO,AUTOSELECT=YES,URI="en/index.m3u8"
#EXT-X-MEDIA:TYPE=SUBTITLES,GROUP-ID="subs",NAME="Undertexter",LANGUAGE="sv",DEFAULT=NO,AUTOSELECT=YES,URI="sub/index.m3u8"
#EXT-X-STREAM-INF:PROGRAM-ID=1,BANDWIDTH=200000,RESOLUTION=160x90,AUDIO="aud",SUBTITLES="subs"
video/index.m3u8
)";

const char* kSubtitles = R"(#EXTM3U
#EXT-X-VERSION:3
#EXT-X-TARGETDURATION:4
#EXT-X-MEDIA-SEQUENCE:0
#EXT-X-PLAYLIST-TYPE:VOD
#EXTINF:4.000000,
seg0.vtt
#EXTINF:4.000000,
seg1.vtt
#EXT-X-ENDLIST
)";

/// The test's key server: answers on its queue with the key, a wrong key or an error.
class KeyDelegate : public MediaResourceLoaderDelegate {
  public:
    enum class Mode { Key, WrongKey, Error };
    explicit KeyDelegate(Mode mode) : mode_(mode) {}
    bool shouldWaitForLoadingOfRequestedResource(const std::shared_ptr<MediaLoadingRequest>& request) override {
        lastUrl = request->url();
        ++requests;
        if (mode_ == Mode::Error) {
            request->finishLoadingWithError(makeError("KeyServer", 42, "No licence"));
        } else {
            request->respondWithData(mode_ == Mode::Key ? kKey : "fedcba9876543210");
            request->finishLoading();
        }
        return true;
    }
    std::string lastUrl;  // written on the delegate queue, read after the item settled
    std::atomic<int> requests = 0;

  private:
    Mode mode_;
};

std::size_t threadCount() {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/task"), {}));
}

class GStreamerMediaEngineTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        std::signal(SIGPIPE, SIG_IGN);
        media_ = std::make_unique<test::TemporaryDirectory>();
        std::string error;
        authority_ = backend::CertificateAuthority::loadOrCreate(media_->file("tls"), &error);
        ASSERT_TRUE(authority_) << error;
        const std::string root = media_->file("www");
        std::filesystem::create_directories(root + "/sub");
        media_->write("key.bin", kKey);
        media_->write("key.info", "skd://test-key-1\n" + media_->file("key.bin") + "\n");
        test::ChildProcess::Options ffmpegOptions;
        ffmpegOptions.argv = {"/usr/bin/ffmpeg",
                              "-v",
                              "error",
                              "-f",
                              "lavfi",
                              "-i",
                              "testsrc=size=160x90:rate=25:duration=8",
                              "-f",
                              "lavfi",
                              "-i",
                              "sine=frequency=440:duration=8",
                              "-f",
                              "lavfi",
                              "-i",
                              "sine=frequency=660:duration=8",
                              "-map",
                              "0:v",
                              "-map",
                              "1:a",
                              "-map",
                              "2:a",
                              "-c:v",
                              "libx264",
                              "-preset",
                              "ultrafast",
                              "-g",
                              "25",
                              "-c:a",
                              "aac",
                              "-b:a",
                              "32k",
                              "-ac",
                              "1",
                              "-f",
                              "hls",
                              "-hls_time",
                              "4",
                              "-hls_playlist_type",
                              "vod",
                              "-hls_key_info_file",
                              media_->file("key.info"),
                              "-hls_segment_filename",
                              root + "/%v/seg%d.ts",
                              "-var_stream_map",
                              "v:0,agroup:aud,name:video a:0,agroup:aud,language:sv,name:sv "
                              "a:1,agroup:aud,language:en,name:en",
                              root + "/%v/index.m3u8"};
        test::ChildProcess ffmpeg(ffmpegOptions);
        auto outcome = ffmpeg.finish(60);
        ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
        media_->write("www/master.m3u8", kMaster);
        media_->write("www/sub/index.m3u8", kSubtitles);
        // A WebVTT segment must end with a blank line, or its last cue is lost.
        media_->write(
            "www/sub/seg0.vtt",
            "WEBVTT\nX-TIMESTAMP-MAP=MPEGTS:126000,LOCAL:00:00:00.000\n\n00:00:00.500 --> 00:00:03.000\nHej\n\n");
        media_->write("www/sub/seg1.vtt",
                      "WEBVTT\nX-TIMESTAMP-MAP=MPEGTS:126000,LOCAL:00:00:00.000\n\n00:00:04.500 --> "
                      "00:00:07.000\n<i>Då</i> &amp; nu\n\n");

        server_ = std::make_unique<httplib::SSLServer>(authority_->serverCertificatePath().c_str(),
                                                       authority_->serverKeyPath().c_str());
        ASSERT_TRUE(server_->set_mount_point("/", root));
        server_->set_read_timeout(30, 0);
        port_ = server_->bind_to_any_port("127.0.0.1");
        ASSERT_GT(port_, 0);
        serverThread_ = std::thread([] { server_->listen_after_bind(); });
        while (!server_->is_running()) std::this_thread::yield();
    }
    static void TearDownTestSuite() {
        if (server_) server_->stop();
        if (serverThread_.joinable()) serverThread_.join();
        server_.reset();
        media_.reset();
    }

    void SetUp() override {
        test::TestPlatform::Options options;
        options.realClock = true;
        options.transportFactory = [ca = authority_->caCertificatePath()] {
            return std::make_shared<CurlHttpTransport>(HttpTransportOptions{.caFile = ca});
        };
        platform_ = std::make_unique<test::TestPlatform>(std::move(options));
        engine_ =
            std::make_unique<GStreamerMediaEngine>(GStreamerPlayerItem::Outputs{.video = "none", .audio = "none"});
    }

    /// An item of the test stream with `delegate` answering its keys, and a player of it.
    std::shared_ptr<MediaPlayer> makePlayer(const std::shared_ptr<KeyDelegate>& delegate) {
        asset_ = engine_->makeAsset("https://127.0.0.1:" + std::to_string(port_) + "/master.m3u8");
        asset_->setResourceLoaderDelegate(delegate, keyQueue_);
        item_ = engine_->makePlayerItem(asset_);
        return engine_->makePlayer(item_);
    }

    /// Runs the main queue until `condition` holds; in slices, since the position moves without any task.
    bool waitFor(const std::function<bool()>& condition, double seconds = 20) {
        for (double waited = 0; waited < seconds; waited += 0.05)
            if (platform_->runUntil(condition, 0.05)) return true;
        return condition();
    }

    static inline std::unique_ptr<test::TemporaryDirectory> media_;
    static inline std::optional<backend::CertificateAuthority> authority_;
    static inline std::unique_ptr<httplib::SSLServer> server_;
    static inline std::thread serverThread_;
    static inline int port_ = 0;

    std::unique_ptr<test::TestPlatform> platform_;
    std::unique_ptr<GStreamerMediaEngine> engine_;
    std::shared_ptr<ThreadPoolQueue> keyQueue_ = std::make_shared<ThreadPoolQueue>("DRM Queue", 1);
    std::shared_ptr<MediaAsset> asset_;
    std::shared_ptr<MediaPlayerItem> item_;
};

TEST_F(GStreamerMediaEngineTest, PlaysSeeksAndEndsWithTheNotice) {
    auto delegate = std::make_shared<KeyDelegate>(KeyDelegate::Mode::Key);
    auto player = makePlayer(delegate);
    std::vector<float> rates;
    player->addObserver("rate", [&] { rates.push_back(player->rate()); });
    int ends = 0;
    ScopedObserver end(platform_->platform().notificationCenter(),
                       platform_->platform().notificationCenter().addObserver(
                           kMediaPlayerItemDidPlayToEndTimeNotification, [&](const Notification&) { ++ends; },
                           static_cast<const MediaPlayerItem*>(item_.get())));
    auto gstItem = std::dynamic_pointer_cast<GStreamerPlayerItem>(item_);
    ASSERT_TRUE(gstItem);
    int firstFrames = 0;
    gstItem->addObserver("firstVideoFrame", [&] { ++firstFrames; });
    const auto made = std::chrono::steady_clock::now();

    ASSERT_TRUE(waitFor([&] { return item_->status() != MediaPlayerItemStatus::Unknown; }));
    ASSERT_EQ(item_->status(), MediaPlayerItemStatus::ReadyToPlay) << item_->errorLog();
    player->play();
    ASSERT_TRUE(waitFor([&] { return player->currentTime() > 0.3; }));
    ASSERT_TRUE(gstItem->firstVideoFrameTime());
    EXPECT_GE(*gstItem->firstVideoFrameTime(), made);
    ASSERT_TRUE(item_->duration());
    EXPECT_NEAR(*item_->duration(), kMediaSeconds, 0.5);
    EXPECT_EQ(item_->firstVideoTrackNaturalSize().value_or(MediaVideoSize{}).width, 160);
    EXPECT_EQ(delegate->lastUrl, "skd://test-key-1");
    // The variant's declared bandwidth, once its media is fetched.
    EXPECT_EQ(item_->indicatedBitrate(), 200000.0);

    std::optional<bool> overtaken, landed;
    item_->seekToTime(2, [&](bool finished) { overtaken = finished; });
    item_->seekToTime(6, [&](bool finished) { landed = finished; });
    ASSERT_TRUE(waitFor([&] { return landed.has_value(); }));
    EXPECT_EQ(overtaken, false);
    EXPECT_EQ(landed, true);
    EXPECT_NEAR(player->currentTime(), 6, 0.5);

    ASSERT_TRUE(waitFor([&] { return ends > 0; }));
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(player->currentTime(), *item_->duration());
    EXPECT_EQ(rates, (std::vector<float>{1, 0}));
    EXPECT_EQ(item_->status(), MediaPlayerItemStatus::ReadyToPlay);
    // Seeks flush the sink: the first frame is still told once.
    EXPECT_EQ(firstFrames, 1);
}

TEST_F(GStreamerMediaEngineTest, KeyFailuresFailTheItemWithALog) {
    for (auto mode : {KeyDelegate::Mode::Error, KeyDelegate::Mode::WrongKey}) {
        SCOPED_TRACE(mode == KeyDelegate::Mode::Error ? "delegate error" : "wrong key");
        auto delegate = std::make_shared<KeyDelegate>(mode);
        auto player = makePlayer(delegate);
        player->play();
        ASSERT_TRUE(waitFor([&] { return item_->status() == MediaPlayerItemStatus::Failed; }));
        ASSERT_TRUE(item_->error());
        EXPECT_FALSE(item_->errorLog().empty());
        if (mode == KeyDelegate::Mode::Error) {
            EXPECT_TRUE(item_->error()->is("KeyServer", 42));
            EXPECT_NE(item_->errorLog().find("skd://test-key-1"), std::string::npos) << item_->errorLog();
        }
    }
}

TEST_F(GStreamerMediaEngineTest, RenditionsBecomeGroupsAndAChoiceReloadsWhereItStood) {
    auto delegate = std::make_shared<KeyDelegate>(KeyDelegate::Mode::Key);
    auto player = makePlayer(delegate);
    bool loaded = false;
    asset_->loadValuesAsynchronously({"tracks", "duration"}, [&] { loaded = true; });
    ASSERT_TRUE(waitFor([&] { return loaded; }));
    ASSERT_EQ(asset_->statusOfValue("tracks"), MediaKeyValueStatus::Loaded);
    EXPECT_NEAR(asset_->duration(), kMediaSeconds, 0.5);
    auto audible = asset_->mediaSelectionGroup(MediaCharacteristic::Audible);
    auto legible = asset_->mediaSelectionGroup(MediaCharacteristic::Legible);
    ASSERT_TRUE(audible && legible);
    ASSERT_EQ(audible->options.size(), 2u);
    EXPECT_EQ(audible->options[1].displayName, "English");
    EXPECT_EQ(audible->options[1].localeLanguageCode, "en");
    EXPECT_EQ(audible->options[1].commonMetadata.at(0).stringValue, "English");
    ASSERT_EQ(legible->options.size(), 1u);
    EXPECT_EQ(legible->options[0].localeLanguageCode, "sv");
    EXPECT_TRUE(legible->allowsEmptySelection);

    // The default audio plays and the subtitles start off.
    ASSERT_TRUE(waitFor([&] { return item_->selectedMediaOption(*audible) == audible->options[0]; }));
    EXPECT_FALSE(item_->selectedMediaOption(*legible));
    player->play();
    ASSERT_TRUE(waitFor([&] { return item_->currentTime() > 1.5; }));

    // A choice mid-play: the pipeline reports the chosen streams and plays on from where it stood, and the
    // key is not asked for again.
    std::vector<MediaLegibleCue> cues;
    item_->setLegibleOutputHandler([&](const MediaLegibleCue& cue) { cues.push_back(cue); });
    const double before = item_->currentTime();
    item_->selectMediaOption(audible->options[1], *audible);
    item_->selectMediaOption(legible->options[0], *legible);
    EXPECT_GE(item_->currentTime(), before - 0.1);
    ASSERT_TRUE(waitFor([&] {
        return item_->selectedMediaOption(*audible) == audible->options[1] &&
               item_->selectedMediaOption(*legible) == legible->options[0];
    })) << item_->errorLog();
    ASSERT_TRUE(waitFor([&] { return item_->currentTime() > before + 0.5; }));
    EXPECT_GE(item_->currentTime(), before);
    // The chosen subtitles' cues come out as plain text, timed on the title.
    ASSERT_TRUE(waitFor([&] { return !cues.empty() && cues.back().text != "Hej"; })) << item_->errorLog();
    EXPECT_EQ(cues.back().text, "Då & nu");
    EXPECT_NEAR(cues.back().start, 4.5, 0.1);
    EXPECT_NEAR(cues.back().end, 7.0, 0.1);
    item_->selectMediaOption(std::nullopt, *legible);
    ASSERT_TRUE(waitFor([&] { return !item_->selectedMediaOption(*legible); }));
    EXPECT_EQ(item_->selectedMediaOption(*audible), audible->options[1]);
    EXPECT_TRUE(waitFor([&] { return item_->currentTime() > before + 1.5; }));
    EXPECT_EQ(item_->status(), MediaPlayerItemStatus::ReadyToPlay) << item_->errorLog();
    EXPECT_EQ(delegate->requests, 1);
}

TEST_F(GStreamerMediaEngineTest, TearDownMidPlayLeavesNothingRunning) {
    auto delegate = std::make_shared<KeyDelegate>(KeyDelegate::Mode::Key);
    // One round first: GStreamer and GLib keep some threads for the process.
    for (int round = 0; round < 2; ++round) {
        const std::size_t before = threadCount();
        auto player = makePlayer(delegate);
        player->play();
        ASSERT_TRUE(waitFor([&] { return player->currentTime() > 0.2; }));
        player.reset();
        item_.reset();
        asset_.reset();
        if (round == 1) {
            EXPECT_TRUE(waitFor([&] { return threadCount() <= before; }, 5)) << threadCount() << " > " << before;
        }
    }
    // A platform that shuts down under a playing item does not hang, nor does the item that outlives it.
    auto player = makePlayer(delegate);
    player->play();
    ASSERT_TRUE(waitFor([&] { return player->currentTime() > 0.2; }));
    platform_.reset();
    player.reset();
    item_.reset();
    asset_.reset();
}

}  // namespace
}  // namespace movra
