// The key exchange against a scripted key server: the request it sends, its three attempts and when the
// DRM error is raised.
#include "API/MVHTTPClient.h"
#include "DRM/MVTavikAssetLoaderDelegate.h"
#include "Foundation/Crypto.h"
#include "support/LogCapture.h"
#include "support/SimulatedLoadingRequest.h"
#include "support/TemporaryDirectory.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

using test::failedReply;
using test::ScriptedReply;

constexpr const char* kCertificate = "DER certificate bytes";

struct RecordingHandler final : MVDRMErrorHandler {
    void drmErrorOccurred(const ErrorPtr& error) override { errors.push_back(error); }
    std::vector<ErrorPtr> errors;
};

ScriptedReply keyReply(std::string body) {
    return {200,
            {{"Content-Type", "application/octet-stream"}, {"Content-Length", std::to_string(body.size())}},
            body,
            nullptr,
            false};
}

class MVTavikAssetLoaderDelegateTest : public ::testing::Test {
  protected:
    MVTavikAssetLoaderDelegateTest() : env(options()) {
        auto client = MVHTTPClient::initSharedClientWithHost("api.test:8443");
        client->setDeviceToken("device-token");
        delegate = std::make_shared<MVTavikAssetLoaderDelegate>();
        delegate->setAssetId("title guid");
        delegate->setDrmErrorHandler(handler);
    }

    test::TestPlatform::Options options() {
        directory.write("movratavik.der", kCertificate);
        test::TestPlatform::Options o;
        o.configuration.drmCertificateFile = directory.file("movratavik.der");
        return o;
    }

    /// Answers the key requests in turn with `replies` (the last one again when they run out).
    void script(std::vector<ScriptedReply> replies) {
        auto next = std::make_shared<std::size_t>(0);
        env.network->setScript(
            [replies, next](const HttpRequest&) { return replies[std::min((*next)++, replies.size() - 1)]; });
    }

    test::TemporaryDirectory directory;
    test::TestPlatform env;
    std::shared_ptr<RecordingHandler> handler = std::make_shared<RecordingHandler>();
    std::shared_ptr<MVTavikAssetLoaderDelegate> delegate;
};

TEST_F(MVTavikAssetLoaderDelegateTest, KeyRequestCarriesTheIdentifierUnchangedAndTheDeviceHeaders) {
    script({keyReply("0123456789abcdef")});
    auto request = std::make_shared<test::SimulatedLoadingRequest>("skd://k3y-ID_42");

    EXPECT_TRUE(delegate->shouldWaitForLoadingOfRequestedResource(request));

    EXPECT_EQ(request->data(), "0123456789abcdef");
    EXPECT_TRUE(request->isFinished());
    EXPECT_FALSE(request->error());
    auto sent = env.network->requests();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].method, "POST");
    EXPECT_EQ(sent[0].url, "https://api.test:8443/stoffice/drm/fps/?assetId=title%20guid&keyId=k3y-ID_42");
    EXPECT_EQ(sent[0].body, sha256(kCertificate) + "k3y-ID_42");
    EXPECT_EQ(sent[0].header("Content-Type"), "application/octect-stream");
    EXPECT_EQ(sent[0].header("X-Stravo-DeviceToken"), "device-token");
    EXPECT_EQ(sent[0].header("X-Stravo-DeviceId"), MVHTTPClient::sharedClient()->deviceId());
    EXPECT_FALSE(sent[0].header("Authorization"));
}

TEST_F(MVTavikAssetLoaderDelegateTest, RequestsItDoesNotTakeOn) {
    test::LogCapture log;
    EXPECT_FALSE(delegate->shouldWaitForLoadingOfRequestedResource(
        std::make_shared<test::SimulatedLoadingRequest>("https://keys.test/k1")));
    EXPECT_TRUE(log.containing("Error creating server request").empty());

    env.platform().mutableConfiguration().drmCertificateFile = directory.file("missing.der");
    EXPECT_FALSE(
        delegate->shouldWaitForLoadingOfRequestedResource(std::make_shared<test::SimulatedLoadingRequest>("skd://k1")));
    EXPECT_EQ(log.containing("Error creating server request: ").size(), 1u);
    EXPECT_TRUE(env.network->requests().empty());
}

TEST_F(MVTavikAssetLoaderDelegateTest, AttemptsAndOutcomes) {
    const auto offline = makeError(kURLErrorDomain, kURLErrorCannotConnectToHost, "no route");
    struct Case {
        const char* name;
        std::vector<ScriptedReply> replies;
        std::size_t attempts;
        std::optional<std::string> body;
        std::size_t failedAttemptLines;
        bool drmError;
    };
    const std::vector<Case> cases = {
        {"first answer", {keyReply("KEY")}, 1, "KEY", 0, false},
        {"empty, then key", {keyReply(""), keyReply("KEY")}, 2, "KEY", 1, false},
        {"three empty answers", {keyReply("")}, 3, "", 3, false},
        {"failure, then key", {failedReply(offline), keyReply("KEY")}, 2, "KEY", 1, false},
        {"empty, empty, failure", {keyReply(""), keyReply(""), failedReply(offline)}, 3, std::nullopt, 3, true},
        {"three failures", {failedReply(offline)}, 3, std::nullopt, 3, true},
        // A length the answer does not state counts as a key.
        {"no length stated", {{200, {}, "", nullptr, false}}, 1, "", 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto before = env.network->requests().size();
        handler->errors.clear();
        script(c.replies);
        test::LogCapture log;

        EXPECT_EQ(delegate->getResponseForKeyId("k1", "message"), c.body);

        EXPECT_EQ(env.network->requests().size() - before, c.attempts);
        auto failed = log.containing("DRM Failed with error");
        ASSERT_EQ(failed.size(), c.failedAttemptLines);
        for (std::size_t i = 0; i < failed.size(); ++i)
            EXPECT_NE(failed[i].find(": attempt " + std::to_string(i + 1) + " of 3"), std::string::npos) << failed[i];
        EXPECT_EQ(log.containing("DRM FAILED: ").size(), c.drmError ? 1u : 0u);
        ASSERT_EQ(handler->errors.size(), c.drmError ? 1u : 0u);
        if (c.drmError) {
            EXPECT_TRUE(handler->errors[0]->is(kMovraErrorDomain, -1));
            EXPECT_EQ(handler->errors[0]->localizedDescription, "Playback DRM failure.");
        }
    }
}

TEST_F(MVTavikAssetLoaderDelegateTest, FailedKeyExchangeFinishesTheRequestWithAnError) {
    script({failedReply(makeError(kURLErrorDomain, kURLErrorTimedOut))});
    auto request = std::make_shared<test::SimulatedLoadingRequest>("skd://k1");

    EXPECT_TRUE(delegate->shouldWaitForLoadingOfRequestedResource(request));

    EXPECT_TRUE(request->isFinished());
    ASSERT_TRUE(request->error());
    EXPECT_FALSE(request->data());
}

}  // namespace
}  // namespace movra
