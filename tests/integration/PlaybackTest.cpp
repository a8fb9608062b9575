// The playback tests' shared fixture.
#include "PlaybackTest.h"

#include "Foundation/Crypto.h"
#include "Foundation/Strings.h"

namespace movra::backend {

const std::string& PlaybackTest::sharedMediaDir() {
    // Kept in the build tree, so that ffmpeg runs once for all the tests' processes and later runs.
    static const std::string kMedia = MOVRA_TEST_MEDIA_DIR;
    return kMedia;
}

BackendServer::Options PlaybackTest::options() {
    BackendServer::Options options;
    options.mediaDir = sharedMediaDir();
    return options;
}

void PlaybackTest::SetUp() {
    start(options());
    // Here rather than in a first request, whose client gives up after 5 s: generating the media (or waiting
    // for another test process that generates it) takes longer.
    ASSERT_EQ(server_->media().ensure(), std::nullopt);
    token_ = tokenFor(kAnna, kAnnasPassword);
}

std::string PlaybackTest::sessionTarget(const std::string& guid) const {
    Page page = browse("browse/" + guid);
    if (page.items.empty()) return {};
    auto content = select(page.items.front(), "media:group/media:content[@profile='MVTK-HLS-FPS']");
    if (content.empty()) return {};
    const std::string url = content.front().attribute("url").value_or("");
    return startsWith(url, baseUrl()) ? url.substr(baseUrl().size()) : url;
}

httplib::Result PlaybackTest::session(const std::string& method, const std::string& guid, const std::string& token,
                                      const std::string& deviceId, const std::string& extra) const {
    std::string target = sessionTarget(guid) + (method == "GET" ? "&responseType=xml" : "") + "&language=sv_mvtk";
    if (!extra.empty()) target += "&" + extra;
    auto headers = standardHeaders(token, deviceId);
    if (method == "GET") return client()->Get(target.c_str(), headers);
    if (method == "POST") return client()->Post(target.c_str(), headers, "", "application/x-www-form-urlencoded");
    return client()->Delete(target.c_str(), headers);
}

std::string PlaybackTest::keyRequestBody(const std::string& keyId) const {
    return sha256(dataDir_.read("backend/tls/application.der")) + keyId;
}

httplib::Result PlaybackTest::keyRequest(const std::string& keyId, const std::string& assetId,
                                         const std::string& body) const {
    httplib::Headers headers{{"X-Stravo-DeviceId", kDeviceId}, {"X-Stravo-DeviceToken", token_}};
    const std::string target = "/stoffice/drm/fps/?keyId=" + keyId + "&assetId=" + assetId;
    return client()->Post(target.c_str(), headers, body, "application/octect-stream");
}

httplib::Result PlaybackTest::media(const std::string& path) const { return client()->Get(("/media/" + path).c_str()); }

void PlaybackTest::setFaults(const Json& document) const {
    auto result = client()->Post("/_emulator/faults", document.dump(), "application/json");
    ASSERT_TRUE(result && result->status == 200) << (result ? result->body : "no answer");
}

}  // namespace movra::backend
