// Streaming sessions and content keys as the client uses them: opening a session answers the stream,
// cue points and the next episode; bookmarks and the closing DELETE reach every feed of the subscriber;
// an account watches on two devices at most; the key server answers only requests made with its
// certificate for the asset's own key; every fault switch of playback; and the request log.
#include "Foundation/Strings.h"
#include "PlaybackTest.h"

#include <chrono>

namespace movra::backend {
namespace {

class PlaybackEndpointsTest : public PlaybackTest {
  protected:
    std::string keyIdOf(const std::string& guid) const {
        server_->media().ensure();
        auto asset = server_->media().asset(MediaLibrary::assetForTitle(guid).id);
        return asset ? asset->keyId : "";
    }
    std::string bookmarkInFeed(const std::string& guid) const {
        Page page = browse("browse/" + guid, "", "sv_mvtk", token_);
        return page.items.empty() ? "<no item>" : text(page.items.front(), "stravo:bookmark");
    }
};

TEST_F(PlaybackEndpointsTest, TheTitleDeclaresItsSessionAndTheAssetsRealDuration) {
    const std::string target = sessionTarget(kFilm);
    const StreamAsset& asset = MediaLibrary::assetForTitle(kFilm);
    EXPECT_EQ(target, std::string("/stoffice/session/") + kFilm + "?assetId=" + asset.id + "&profile=MVTK-HLS-FPS");
    Page page = browse(std::string("browse/") + kFilm);
    ASSERT_EQ(page.items.size(), 1u);
    auto hls = select(page.items[0], "media:group/media:content[@profile='MVTK-HLS-FPS']");
    auto cast = select(page.items[0], "media:group/media:content[@profile='MVTK-SMOOTH-PlayReady']");
    ASSERT_EQ(hls.size(), 1u);
    ASSERT_EQ(cast.size(), 1u);
    EXPECT_EQ(hls[0].attribute("duration"), std::to_string(asset.durationSeconds));
    EXPECT_EQ(cast[0].attribute("url"), baseUrl() + "/media/" + asset.id + "/master.m3u8");
}

TEST_F(PlaybackEndpointsTest, ASessionAnswersTheStreamAndTheNextEpisodeAndItsBookmarksReachTheFeeds) {
    auto opened = session("GET", kEpisode, token_);
    ASSERT_TRUE(opened);
    ASSERT_EQ(opened->status, 200) << opened->body;
    auto document = XMLDocument::parse(opened->body);
    ASSERT_TRUE(document);
    const XMLNode result = document->rootElement();
    const StreamAsset& asset = MediaLibrary::assetForTitle(kEpisode);
    EXPECT_EQ(text(result, "status"), "success");
    EXPECT_EQ(text(result, "url"), baseUrl() + "/media/" + asset.id + "/master.m3u8");
    EXPECT_EQ(text(result, "stravo:chainplayTimer"), "10");
    auto cuePoints = select(result, "stravo:cuePoints/stravo:cuePoint");
    ASSERT_EQ(cuePoints.size(), 1u);
    EXPECT_EQ(cuePoints[0].attribute("type"), "chainplay");
    EXPECT_EQ(cuePoints[0].stringValue(), std::to_string((asset.durationSeconds - 10) * 1000));
    auto items = select(result, "item");
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(text(items[0], "guid"), kNextEpisode);
    // The stream URL it answers is the playlist the player loads.
    auto playlist = client()->Get(text(result, "url").substr(baseUrl().size()).c_str());
    ASSERT_TRUE(playlist && playlist->status == 200);

    // A film has no next title.
    auto film = session("GET", kFilm, token_);
    ASSERT_TRUE(film && film->status == 200);
    EXPECT_EQ(select(XMLDocument::parse(film->body)->rootElement(), "item").size(), 0u);

    // A bookmark in a form body, as a POST may carry it, and the final one in the query of the DELETE.
    const std::string post = sessionTarget(kEpisode) + "&language=sv_mvtk";
    auto bookmarked =
        client()->Post(post.c_str(), standardHeaders(token_), "bookmarkSecs=17", "application/x-www-form-urlencoded");
    ASSERT_TRUE(bookmarked && bookmarked->status == 200) << (bookmarked ? bookmarked->body : "");
    EXPECT_EQ(resultText(bookmarked->body, "status"), "success");
    EXPECT_EQ(bookmarkInFeed(kEpisode), "17");
    EXPECT_EQ(server_->sessions().openCount(kAnna), 1u);

    auto closed = session("DELETE", kEpisode, token_, kDeviceId, "bookmarkSecs=31");
    ASSERT_TRUE(closed && closed->status == 200);
    EXPECT_EQ(bookmarkInFeed(kEpisode), "31");
    EXPECT_EQ(server_->sessions().openCount(kAnna), 0u);
    EXPECT_EQ(browse("browse/recentlywatched", "", "sv_mvtk", token_).guids().front(), kEpisode);

    // Closing without a bookmark keeps the last one; a malformed one is refused.
    session("GET", kEpisode, token_);
    EXPECT_EQ(session("DELETE", kEpisode, token_)->status, 200);
    EXPECT_EQ(bookmarkInFeed(kEpisode), "31");
    EXPECT_EQ(session("POST", kEpisode, token_, kDeviceId, "bookmarkSecs=-4")->status, 400);
    EXPECT_EQ(session("POST", kEpisode, token_)->status, 400);
}

TEST_F(PlaybackEndpointsTest, WithoutALiveTokenTheSessionAsksToAuthenticate) {
    const std::string seeded = bookmarkInFeed(kFilm);
    auto revoked = tokenFor(kAnna, kAnnasPassword, kOtherDeviceId);
    ASSERT_TRUE(client()->Post("/_emulator/accounts/revoke", Json{{"token", revoked}}.dump(), "application/json"));
    for (const auto& [token, deviceId] :
         {std::pair<std::string, std::string>{"", kDeviceId}, {revoked, kOtherDeviceId}, {token_, kOtherDeviceId}}) {
        for (const char* method : {"GET", "POST", "DELETE"}) {
            auto result = session(method, kFilm, token, deviceId, "bookmarkSecs=5");
            ASSERT_TRUE(result);
            EXPECT_EQ(result->status, 200);
            EXPECT_EQ(resultText(result->body, "status"), "authenticate") << method << " " << token;
        }
    }
    EXPECT_EQ(server_->sessions().openCount(kAnna), 0u);
    EXPECT_EQ(bookmarkInFeed(kFilm), seeded);
}

TEST_F(PlaybackEndpointsTest, AnAccountWatchesOnTwoDevicesAtMost) {
    const std::string third = "3C3C3C3C-0000-4000-8000-000000000003";
    const std::string other = tokenFor(kAnna, kAnnasPassword, kOtherDeviceId);
    const std::string thirdToken = tokenFor(kAnna, kAnnasPassword, third);
    EXPECT_EQ(resultText(session("GET", kFilm, token_)->body, "status"), "success");
    EXPECT_EQ(resultText(session("GET", kEpisode, token_)->body, "status"), "success");  // the same device again
    EXPECT_EQ(resultText(session("GET", kFilm, other, kOtherDeviceId)->body, "status"), "success");

    auto refused = session("GET", kFilm, thirdToken, third);
    ASSERT_TRUE(refused);
    EXPECT_NE(resultText(refused->body, "status"), "success");
    EXPECT_NE(resultText(refused->body, "userMessage").find("two devices"), std::string::npos) << refused->body;
    EXPECT_EQ(resultText(refused->body, "url"), "<none>");

    // Another subscriber is not counted with her.
    const std::string ola = tokenFor("ola.nordmann@tavik.example", "Ola-tavik-2", third);
    EXPECT_EQ(resultText(session("GET", kFilm, ola, third)->body, "status"), "success");

    session("DELETE", kFilm, other, kOtherDeviceId);
    EXPECT_EQ(resultText(session("GET", kFilm, thirdToken, third)->body, "status"), "success");
    EXPECT_EQ(server_->sessions().openCount(kAnna), 2u);
}

TEST_F(PlaybackEndpointsTest, ASubscriptionWithoutPaymentSignsInButCannotPlay) {
    const std::string maja = tokenFor("maja.holm@tavik.example", "Maja-tavik-5");
    ASSERT_FALSE(maja.empty());
    EXPECT_EQ(browse(std::string("browse/") + kFilm, "", "sv_mvtk", maja).status, 200);
    auto refused = session("GET", kFilm, maja);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 402);
    EXPECT_EQ(resultText(refused->body, "errorCode"), "ST2002");
    EXPECT_EQ(resultText(refused->body, "url"), "<none>");
    EXPECT_EQ(server_->sessions().openCount("maja.holm@tavik.example"), 0u);
}

TEST_F(PlaybackEndpointsTest, TheKeyServerAnswersTheAssetsKeyOnlyForARequestMadeWithItsCertificate) {
    const std::string keyId = keyIdOf(kFilm);
    ASSERT_FALSE(keyId.empty());
    auto answered = keyRequest(keyId, kFilm, keyRequestBody(keyId));
    ASSERT_TRUE(answered);
    ASSERT_EQ(answered->status, 200) << answered->body;
    EXPECT_EQ(answered->body, server_->media().asset(MediaLibrary::assetForTitle(kFilm).id)->key);
    EXPECT_EQ(answered->body.size(), 16u);
    EXPECT_EQ(answered->get_header_value("Content-Type"), "application/octet-stream");

    // A title of another asset, found by guid.
    std::string otherTitle;
    for (const char* guid : {kEpisode, kNextEpisode, "series-coastline-s1e03", "film-signal-lost"})
        if (MediaLibrary::assetForTitle(guid).id != MediaLibrary::assetForTitle(kFilm).id) otherTitle = guid;
    ASSERT_FALSE(otherTitle.empty());

    std::string forged = keyRequestBody(keyId);
    forged[3] ^= 0x01;
    const std::tuple<std::string, std::string, std::string, int> refused[] = {
        {keyId, kFilm, forged, 403},                               // another certificate
        {keyId, kFilm, keyRequestBody(keyId + "x"), 403},          // another identifier
        {keyId, kFilm, keyRequestBody(keyId).substr(0, 32), 403},  // no identifier
        {keyId, otherTitle, keyRequestBody(keyId), 403},           // another title's asset
        {keyId + "x", kFilm, keyRequestBody(keyId + "x"), 403},    // no such key
        {keyIdOf(otherTitle), kFilm, keyRequestBody(keyIdOf(otherTitle)), 403},
    };
    for (const auto& [id, asset, body, status] : refused) {
        auto result = keyRequest(id, asset, body);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, status) << id << " " << asset;
        EXPECT_NE(result->body.size(), 16u);
    }
    token_.clear();
    EXPECT_EQ(keyRequest(keyId, kFilm, keyRequestBody(keyId))->status, 401);
}

TEST_F(PlaybackEndpointsTest, TheSessionAnswersEveryStatusTheClientHandles) {
    const std::tuple<const char*, int, std::string, std::string, bool> cases[] = {
        {"authenticate", 200, "authenticate", "<none>", false},
        {"paymentMissing", 402, "Failure", "ST2002", true},
        {"error", 200, "playbackError", "<none>", true},
        {"noUrl", 200, "success", "<none>", false},
    };
    for (const auto& [answer, httpStatus, status, errorCode, userMessage] : cases) {
        setFaults({{"sessionAnswer", answer}});
        auto result = session("GET", kFilm, token_);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, httpStatus) << answer;
        EXPECT_EQ(resultText(result->body, "status"), status) << answer;
        EXPECT_EQ(resultText(result->body, "errorCode"), errorCode) << answer;
        EXPECT_EQ(resultText(result->body, "userMessage") != "<none>", userMessage) << answer;
        EXPECT_EQ(resultText(result->body, "url"), "<none>") << answer;
    }
    setFaults({{"sessionAnswer", "unmappable"}});
    auto unmappable = session("GET", kFilm, token_);
    ASSERT_TRUE(unmappable && unmappable->status == 200);
    EXPECT_FALSE(XMLDocument::parse(unmappable->body));
    EXPECT_EQ(server_->sessions().openCount(kAnna), 0u);

    setFaults({{"sessionAnswer", "normal"}});
    EXPECT_EQ(resultText(session("GET", kFilm, token_)->body, "status"), "success");
    auto refused = client()->Post("/_emulator/faults", R"({"sessionAnswer": "sometimes"})", "application/json");
    EXPECT_TRUE(refused && refused->status == 400);
}

TEST_F(PlaybackEndpointsTest, KeyAndSegmentFaultsFailEmptyCutAndSlowTheirRequestsOnly) {
    const std::string keyId = keyIdOf(kFilm);
    const std::string segment =
        MediaLibrary::assetForTitle(kFilm).id + "/" + MediaLibrary::assetForTitle(kFilm).id + "_180/seg_00000.ts";
    const auto whole = media(segment);
    ASSERT_TRUE(whole && whole->status == 200);

    setFaults({{"failNext", {{"count", 1}, {"status", 500}, {"path", "/stoffice/drm/fps/"}}}});
    auto failed = keyRequest(keyId, kFilm, keyRequestBody(keyId));
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->status, 500);
    EXPECT_TRUE(failed->body.empty());  // a bare status, not an XML document to take for a key

    setFaults({{"emptyNext", {{"count", 2}, {"path", "/stoffice/drm/fps/"}}}});
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto empty = keyRequest(keyId, kFilm, keyRequestBody(keyId));
        ASSERT_TRUE(empty);
        EXPECT_EQ(empty->status, 200);
        EXPECT_TRUE(empty->body.empty());
    }
    EXPECT_EQ(keyRequest(keyId, kFilm, keyRequestBody(keyId))->body.size(), 16u);

    setFaults({{"failNext", {{"count", 1}, {"status", 404}, {"path", "/media/"}}}});
    EXPECT_EQ(media(segment)->status, 404);
    setFaults({{"truncateNext", {{"count", 1}, {"path", "/media/"}}}});
    auto cut = media(segment);
    ASSERT_TRUE(cut && cut->status == 200);
    EXPECT_EQ(cut->body.size(), whole->body.size() / 2);
    EXPECT_TRUE(startsWith(whole->body, cut->body));
    EXPECT_TRUE(media(segment)->body == whole->body);

    // Slow media leaves the client API alone. Only lower bounds: a busy machine can only add time.
    setFaults({{"slow", {{"path", "/media/"}, {"delayMs", 300}}}});
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(media(segment)->status, 200);
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(300));
    EXPECT_EQ(server_->faults().delayFor("/stoffice/drm/fps/"), std::chrono::milliseconds(0));
    EXPECT_EQ(server_->faults().delayFor("/media/aurora/master.m3u8"), std::chrono::milliseconds(300));
    setFaults({{"slow", {{"path", "/media/"}, {"delayMs", 0}}}});
    EXPECT_EQ(server_->faults().delayFor("/media/aurora/master.m3u8"), std::chrono::milliseconds(0));

    // Geo-blocking stops new sessions, not a stream already playing.
    setFaults({{"geoBlocked", true}});
    EXPECT_EQ(media(segment)->status, 200);
    EXPECT_EQ(session("GET", kFilm, token_)->status, 403);
}

TEST_F(PlaybackEndpointsTest, TheRequestLogShowsSessionsKeysAndBookmarksWithoutTheToken) {
    const std::string keyId = keyIdOf(kFilm);
    session("GET", kFilm, token_);
    keyRequest(keyId, kFilm, keyRequestBody(keyId));
    session("POST", kFilm, token_, kDeviceId, "bookmarkSecs=12");
    session("DELETE", kFilm, token_, kDeviceId, "bookmarkSecs=40");

    std::vector<RequestLog::Entry> playback;
    for (const auto& entry : server_->requestLog().entries())
        if (startsWith(entry.path, "/stoffice/session/") || startsWith(entry.path, "/stoffice/drm/"))
            playback.push_back(entry);
    ASSERT_EQ(playback.size(), 4u);
    EXPECT_EQ(playback[0].method, "GET");
    EXPECT_EQ(playback[0].queryValue("responseType"), "xml");
    EXPECT_EQ(playback[0].queryValue("assetId"), MediaLibrary::assetForTitle(kFilm).id);
    EXPECT_EQ(playback[1].method, "POST");
    EXPECT_EQ(playback[1].queryValue("keyId"), keyId);
    EXPECT_EQ(playback[1].queryValue("assetId"), kFilm);
    EXPECT_EQ(playback[1].header("X-Stravo-DeviceId"), kDeviceId);
    EXPECT_EQ(playback[1].header("X-Stravo-DeviceToken"), RequestLog::kRedacted);
    EXPECT_EQ(playback[1].header("Content-Type"), "application/octect-stream");
    EXPECT_EQ(playback[2].queryValue("bookmarkSecs"), "12");
    EXPECT_EQ(playback[3].method, "DELETE");
    EXPECT_EQ(playback[3].queryValue("bookmarkSecs"), "40");
}

}  // namespace
}  // namespace movra::backend
