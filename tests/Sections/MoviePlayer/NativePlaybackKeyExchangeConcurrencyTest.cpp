// The key exchange as playback runs it: the engine hands the key URI to the delegate on the "DRM Queue",
// which blocks there for its round trips while the main queue goes on; and a platform shut down while a key
// request waits for its answer still comes to an end.
#include "API/MVHTTPClient.h"
#include "DRM/MVDRMQueue.h"
#include "Sections/MoviePlayer/MVNativeVideoPlayer.h"
#include "support/TemporaryDirectory.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <atomic>

namespace movra {
namespace {

constexpr const char* kProtectedAssetURL = "https://media.test/protected/master.m3u8";

struct ErrorRecorder final : MVVideoPlayerDelegate {
    void handleVideoError(const ErrorPtr& error) override { errors.push_back(error); }
    void playerSetupComplete(double) override { setUp = true; }
    std::vector<ErrorPtr> errors;
    bool setUp = false;
};

class NativePlaybackKeyExchangeConcurrencyTest : public ::testing::Test {
  protected:
    NativePlaybackKeyExchangeConcurrencyTest() : env(options()) {
        MVHTTPClient::initSharedClientWithHost("api.test");
        test::SimulatedAssetScript script;
        script.keyURIs = {"skd://key-1"};
        env.media->setScript(kProtectedAssetURL, script);
        player->setPlayerDelegate(delegate);
    }
    test::TestPlatform::Options options() {
        directory.write("app.der", "certificate");
        test::TestPlatform::Options o;
        o.configuration.drmCertificateFile = directory.file("app.der");
        return o;
    }
    /// Runs the main queue until `predicate` holds, in short slices: work done on the DRM queue does not wake
    /// the main queue.
    bool waitFor(const std::function<bool()>& predicate) {
        for (int slice = 0; slice < 1000; ++slice)
            if (env.runUntil(predicate, 0.01)) return true;
        return false;
    }
    /// Sets the player up and waits (in real time) until the key request has been answered.
    std::shared_ptr<test::SimulatedLoadingRequest> startAndAwaitKey() {
        player->setupVideoSessionWithURL(kProtectedAssetURL, "guid-1", "", "", std::nullopt, 0, true, nullptr);
        auto asset = env.media->lastAsset();
        EXPECT_TRUE(waitFor([&] { return !asset->keyRequests().empty() && asset->keyRequests()[0]->isFinished(); }));
        return asset->keyRequests().empty() ? nullptr : asset->keyRequests()[0];
    }

    test::TemporaryDirectory directory;
    test::TestPlatform env;
    std::shared_ptr<ErrorRecorder> delegate = std::make_shared<ErrorRecorder>();
    std::shared_ptr<MVNativeVideoPlayer> player = std::make_shared<MVNativeVideoPlayer>();
};

TEST_F(NativePlaybackKeyExchangeConcurrencyTest, KeyIsFetchedOnTheDrmQueueAndPlaybackStarts) {
    env.network->answerAll({200, {{"Content-Length", "16"}}, "0123456789abcdef", nullptr, false});
    auto request = startAndAwaitKey();
    ASSERT_TRUE(request);
    EXPECT_EQ(request->data(), "0123456789abcdef");
    for (int i = 0; i < 20; ++i) {
        env.advance(0.1);
        env.main().runPending();
    }
    EXPECT_TRUE(delegate->setUp);
    EXPECT_TRUE(delegate->errors.empty());
    EXPECT_TRUE(player->isPlaying());
}

TEST_F(NativePlaybackKeyExchangeConcurrencyTest, FailedKeyExchangeFailsPlaybackOnTheMainQueue) {
    env.network->answerAll(test::failedReply(makeError(kURLErrorDomain, kURLErrorCannotConnectToHost)));
    auto request = startAndAwaitKey();
    ASSERT_TRUE(request);
    EXPECT_TRUE(request->error());
    EXPECT_TRUE(waitFor([&] { return !delegate->errors.empty(); }));
    ASSERT_FALSE(delegate->errors.empty());
    EXPECT_TRUE(delegate->errors[0]->is(kMovraErrorDomain, -1));
}

TEST_F(NativePlaybackKeyExchangeConcurrencyTest, ShutdownEndsAKeyRequestThatIsStillWaiting) {
    env.network->answerAll(test::heldReply());
    std::atomic<bool> answered{false};
    auto keyDelegate = std::make_shared<MVTavikAssetLoaderDelegate>();
    MVDRMQueue::shared()->async([keyDelegate, &answered] {
        EXPECT_FALSE(keyDelegate->getResponseForKeyId("key-1", "message"));
        answered = true;
    });
    EXPECT_TRUE(waitFor([&] { return !env.network->requests().empty(); }));
    Platform::shutdown();  // returns only once the DRM queue's task has ended
    EXPECT_TRUE(answered);
}

}  // namespace
}  // namespace movra
