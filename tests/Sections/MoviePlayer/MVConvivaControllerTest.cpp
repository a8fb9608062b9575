// MVConvivaController: the tags of the metadata builder, the content a session opens with, and the session's
// life: one error report however often the screen reports, a library clean-up that throws, the events.
#include "API/MVHTTPClient.h"
#include "App/MVDiscriminator.h"
#include "Model/MVItem.h"
#include "Sections/MoviePlayer/MVConvivaController.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

constexpr const char* kAccountXml = "<result><status>Success</status><account><country>ES</country></account></result>";

/// An episode with everything the tags read; `content` is its group's one video (none when null).
std::shared_ptr<MVItem> episode(const Json& content = {{"medium", "video"},
                                                       {"url", "https://api.test/stoffice/session/e1"},
                                                       {"profile", "MVTK-HLS-FPS"},
                                                       {"expression", "Sample"}}) {
    auto item = std::make_shared<MVItem>();
    item->setTitle("The Harbour");
    item->setSeries("Coastline");
    item->setSeason("1");
    item->setEpisode("The Harbour");
    item->setEpisodeInSeason(3);
    item->setEpisodeInSeries(1);
    item->setKeywords("Drama, Thriller, Nordic");
    item->setRatingsData(Json::array({{{"ratingValue", "15"}}, {{"ratingValue", "12"}}}).dump());
    item->setHouseId("H-42");
    item->setAnalyticsLabel("Coastline S1E3");
    item->setGroupData(Json{
        {"content", content.is_null() ? Json::array() : Json::array({content})},
        {"thumbnails",
         Json::array()}}.dump());
    return item;
}

class MVConvivaControllerTest : public ::testing::Test {
  protected:
    MVConvivaControllerTest() {
        client = MVHTTPClient::initSharedClientWithHost("api.test");
        client->setAccountGuid("account-1");
        client->setIdentityGuid("identity-1");
        discriminator =
            MVDiscriminator::initSharedDiscriminatorWithJSON({{"url", "api.test"}, {"cc", {"SE"}}, {"name", "MVTK"}});
    }
    Json metadata(const MVItem& item, bool cast = false) {
        return MVConvivaController::convivaMetadataFromAsset(item, client, discriminator, cast);
    }

    test::TestPlatform env;
    std::shared_ptr<MVHTTPClient> client;
    std::shared_ptr<MVDiscriminator> discriminator;
};

TEST_F(MVConvivaControllerTest, MetadataInTheOrderAddedWithEmptySourcesLeftOut) {
    const auto item = episode();
    Json expected = {{"AccountId", "account-1"},
                     {"DeviceId", client->deviceId()},
                     {"EpisodeName", "The Harbour"},
                     {"EpisodeNumber", "3"},
                     {"CountryName", "SE"},
                     {"IsTrailer", "true"},
                     {"Profile", "MVTK-HLS-FPS"},
                     {"NetStatus", "WIFI"},
                     {"Operator", "Movra Tavik"},
                     {"Rating", "15"},
                     {"Season", "1"},
                     {"Genre", "Drama"},
                     {"SecondaryGenre", "Thriller"},
                     {"Show", "Coastline"},
                     {"HouseId", "H-42"}};
    EXPECT_EQ(metadata(*item).dump(), expected.dump());
    expected["ViewerId"] = "identity-1";
    expected["AnalyticsLabel"] = "Coastline S1E3";
    EXPECT_EQ(metadata(*item, /*cast=*/true).dump(), expected.dump());
}

TEST_F(MVConvivaControllerTest, MetadataEdges) {
    // No main media content: not a trailer, no profile.
    auto film = episode(nullptr);
    film->setEpisodeInSeries(0);
    film->setKeywords("Comedy");
    film->setRatingsData(std::nullopt);
    env.reachability->reachable_ = false;
    const auto tags = metadata(*film);
    EXPECT_EQ(tags["IsTrailer"], "false");
    EXPECT_EQ(tags["Genre"], "Comedy");
    EXPECT_EQ(tags["Show"], "The Harbour");  // a film's title, not its series
    for (const char* absent : {"Profile", "SecondaryGenre", "NetStatus", "Rating", "ViewerId", "AnalyticsLabel"})
        EXPECT_FALSE(tags.contains(absent)) << absent;

    // Without an analytics label or identity the cast keys stay out too; a missing client or discriminator
    // leaves its keys out rather than failing.
    film->setAnalyticsLabel("");
    EXPECT_FALSE(
        MVConvivaController::convivaMetadataFromAsset(*film, nullptr, nullptr, true).contains("AnalyticsLabel"));
    const auto bare = MVConvivaController::convivaMetadataFromAsset(*film, nullptr, nullptr, true);
    for (const char* absent : {"AccountId", "DeviceId", "CountryName", "ViewerId"})
        EXPECT_FALSE(bare.contains(absent)) << absent;
    EXPECT_EQ(bare["Operator"], "Movra Tavik");

    // The second region's home tenant is the Spanish operator.
    env.network->answerAll(test::xmlReply(200, kAccountXml));
    env.await<>([&](auto done) { discriminator->setupHomeTenantWithSuccess(done, [done](ErrorPtr) { done(); }); });
    EXPECT_EQ(metadata(*film)["Operator"], "Movra Spain");
}

TEST_F(MVConvivaControllerTest, SessionLifeAsTheScreenDrivesIt) {
    auto& library = *env.playbackQuality;
    MVConvivaController controller;
    controller.tearDownSessionWithError("Playback failed.");  // no session: nothing
    controller.startSessionWithAssetItem(*episode());
    controller.startSessionWithAssetItem(*episode());  // already open
    ASSERT_EQ(library.contents.size(), 1u);
    const auto& content = library.contents[0];
    EXPECT_EQ(content.assetName, "Coastline S1E3");
    EXPECT_EQ(content.cdnName, "LEVEL3");
    EXPECT_EQ(content.playerName, "Movra-Tavik iOS");
    EXPECT_FALSE(content.isLive);
    EXPECT_EQ(content.viewerId, "identity-1");
    ASSERT_EQ(content.tags.size(), 15u);
    EXPECT_EQ(content.tags.front(), (std::pair<std::string, std::string>{"AccountId", "account-1"}));
    EXPECT_EQ(content.tags.back(), (std::pair<std::string, std::string>{"HouseId", "H-42"}));

    auto player = env.media->makePlayer(env.media->makePlayerItem(env.media->makeAsset("https://cdn.test/a.m3u8")));
    controller.attachPlayerToSession(player);
    controller.sendAirplayIsEnabledEvent(true);
    controller.sendChromecastIsEnabledEvent(false);
    controller.tearDownSessionWithError("Playback DRM failure.");
    controller.tearDownSessionWithError("Video playback error");
    EXPECT_FALSE(controller.sessionActive());
    EXPECT_EQ(library.calls, (std::vector<std::string>{"create 1", "attach 1", "event AirPlay enabled=true",
                                                       "event Chromecast enabled=false",
                                                       "error 1 Playback DRM failure.", "cleanup 1"}));
    EXPECT_EQ(library.players.at(0), player);
}

TEST_F(MVConvivaControllerTest, AFailingCleanUpStillEndsTheSession) {
    auto& library = *env.playbackQuality;
    library.cleanupThrows = true;
    {
        MVConvivaController controller;
        controller.startSessionWithAssetItem(*episode());
        controller.tearDownSession();
        EXPECT_FALSE(controller.sessionActive());
        // A controller dropped with its session open ends it.
        controller.startSessionWithAssetItem(*episode());
    }
    EXPECT_EQ(library.calls, (std::vector<std::string>{"create 1", "cleanup 1", "create 2", "cleanup 2"}));
}

}  // namespace
}  // namespace movra
