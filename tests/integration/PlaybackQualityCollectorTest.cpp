// The real playback-quality client (libcurl over TLS) against the emulator's collector: a session with its
// content, tags, error and end arrives and is listed per viewing; a collector that refuses batches for a while
// loses nothing and shows nothing twice; a body that is not a list of events is refused.
#include "EmulatorTest.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra::backend {
namespace {

class PlaybackQualityCollectorTest : public EmulatorTest {
  protected:
    void SetUp() override {
        EmulatorTest::SetUp();
        auto options = test::TestPlatform::Options::realNetwork(server_->caFile(), dataDir_.file("client"));
        options.playbackQualityCollectorUrl = "https://" + server_->baseHost() + "/quality";
        env_ = std::make_unique<test::TestPlatform>(options);
    }
    void TearDown() override { env_.reset(); }

    std::unique_ptr<test::TestPlatform> env_;
};

TEST_F(PlaybackQualityCollectorTest, ASessionArrivesOnceThoughTheCollectorRefusedItForAWhile) {
    ASSERT_EQ(server_->faults().apply({{"failNext", {{"count", 2}, {"status", 503}, {"path", "/quality/"}}}}),
              std::nullopt);
    auto& quality = *env_->qualityCollector;
    const auto key = quality.createSession({"Frost Line",
                                            "LEVEL3",
                                            false,
                                            "Movra-Tavik iOS",
                                            "identity-1",
                                            {{"Show", "Frost Line"}, {"IsTrailer", "false"}}});
    quality.sendEvent("AirPlay", {{"enabled", "false"}});
    quality.reportError(key, "Playback DRM failure.");
    quality.cleanupSession(key);
    // The first sends meet the refusals; the events wait for a later one.
    for (int attempt = 0; attempt < 5 && !quality.flush(/*timeoutSeconds=*/20); ++attempt) {
    }
    ASSERT_TRUE(quality.flush(/*timeoutSeconds=*/20));

    const auto sessions = server_->qualityCollector().sessions();
    ASSERT_EQ(sessions.size(), 1u);
    const auto& session = sessions[0];
    EXPECT_EQ(session["start"]["assetName"], "Frost Line");
    EXPECT_EQ(session["start"]["playerName"], "Movra-Tavik iOS");
    EXPECT_EQ(session["start"]["tags"].dump(), R"({"Show":"Frost Line","IsTrailer":"false"})");
    ASSERT_EQ(session["events"].size(), 2u);
    EXPECT_EQ(session["events"][0]["name"], "AirPlay");
    EXPECT_EQ(session["events"][1]["text"], "Playback DRM failure.");
    EXPECT_TRUE(session["end"].is_object());
    EXPECT_EQ(session["end"]["joinTimeMs"], nullptr);
}

TEST_F(PlaybackQualityCollectorTest, BodiesThatAreNoListOfEventsAreRefused) {
    for (const char* body : {"{}", "[{\"session\": \"s\", \"type\": \"join\"}]", "not json"}) {
        auto answer = client()->Post("/quality/events", body, "application/json");
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, 400) << body;
    }
    EXPECT_TRUE(server_->qualityCollector().sessions().empty());
    EXPECT_EQ(server_->qualityCollector().toJson()["rejected"], 3);
}

}  // namespace
}  // namespace movra::backend
