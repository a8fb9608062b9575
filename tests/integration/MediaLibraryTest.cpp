// The emulator's generated media as a player reads it: the master playlist's variants and renditions,
// encrypted segments that the asset's key opens, a segment per four seconds, subtitle segments and a
// seek picture per second; generated once and reused; a clear answer when ffmpeg is missing.
#include "Foundation/Strings.h"
#include "PlaybackTest.h"
#include "support/TemporaryDirectory.h"

#include <openssl/evp.h>

#include <cstdio>
#include <memory>

namespace movra::backend {
namespace {

class MediaLibraryTest : public PlaybackTest {
  protected:
    std::vector<std::string> lines(const std::string& path) const {
        auto result = media(path);
        EXPECT_TRUE(result && result->status == 200) << path;
        return result ? split(result->body, "\n") : std::vector<std::string>{};
    }

    static std::vector<std::string> startingWith(const std::vector<std::string>& all, const std::string& prefix) {
        std::vector<std::string> found;
        for (const std::string& line : all)
            if (startsWith(line, prefix)) found.push_back(line);
        return found;
    }

    // AES-128-CBC with PKCS#7 padding, as HLS encrypts segments.
    static std::string decrypt(const std::string& data, const std::string& key, const std::string& iv) {
        std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> context(EVP_CIPHER_CTX_new(),
                                                                                EVP_CIPHER_CTX_free);
        std::string out(data.size() + 16, '\0');
        int length = 0, last = 0;
        const auto* k = reinterpret_cast<const unsigned char*>(key.data());
        const auto* v = reinterpret_cast<const unsigned char*>(iv.data());
        auto* o = reinterpret_cast<unsigned char*>(out.data());
        if (EVP_DecryptInit_ex(context.get(), EVP_aes_128_cbc(), nullptr, k, v) != 1 ||
            EVP_DecryptUpdate(context.get(), o, &length, reinterpret_cast<const unsigned char*>(data.data()),
                              static_cast<int>(data.size())) != 1 ||
            EVP_DecryptFinal_ex(context.get(), o + length, &last) != 1)
            return {};
        out.resize(static_cast<std::size_t>(length + last));
        return out;
    }
};

TEST_F(MediaLibraryTest, EveryAssetIsAnEncryptedHlsStreamWithRenditionsAndASeekPicturePerSecond) {
    ASSERT_FALSE(server_->media().ensure());
    for (const StreamAsset& listed : MediaLibrary::catalogue()) {
        SCOPED_TRACE(listed.id);
        auto asset = server_->media().asset(listed.id);
        ASSERT_TRUE(asset);
        const auto master = lines(asset->id + "/master.m3u8");
        ASSERT_FALSE(master.empty());
        EXPECT_EQ(master.front(), "#EXTM3U");

        // Each variant line is followed by its playlist, in a folder "<asset>_<height>".
        std::vector<std::string> variants;
        for (std::size_t i = 0; i + 1 < master.size(); ++i) {
            if (!startsWith(master[i], "#EXT-X-STREAM-INF:")) continue;
            EXPECT_TRUE(startsWith(master[i], "#EXT-X-STREAM-INF:PROGRAM-ID=1,")) << master[i];
            variants.push_back(master[i + 1]);
        }
        EXPECT_EQ(variants, (std::vector<std::string>{asset->id + "_180/index.m3u8", asset->id + "_90/index.m3u8"}));

        const auto audio = startingWith(master, "#EXT-X-MEDIA:TYPE=AUDIO,");
        const auto subtitles = startingWith(master, "#EXT-X-MEDIA:TYPE=SUBTITLES,");
        std::string audioLanguages, subtitleLanguages;
        for (const auto& line : audio) {
            for (const char* attribute : {"GROUP-ID=", "NAME=", "DEFAULT=", "AUTOSELECT=", "URI="})
                EXPECT_NE(line.find(attribute), std::string::npos) << line;
            audioLanguages += line.substr(line.find("LANGUAGE=") + 10, 2) + " ";
        }
        for (const auto& line : subtitles) subtitleLanguages += line.substr(line.find("LANGUAGE=") + 10, 2) + " ";
        EXPECT_EQ(audioLanguages, "sv en fi ");
        EXPECT_EQ(subtitleLanguages, "sv no fi da en ");

        const int segments = (asset->durationSeconds + 3) / 4;
        for (const std::string& variant : variants) {
            const auto playlist = lines(asset->id + "/" + variant);
            const auto keys = startingWith(playlist, "#EXT-X-KEY:");
            ASSERT_EQ(keys.size(), 1u);
            EXPECT_NE(keys[0].find("METHOD=AES-128,URI=\"skd://" + asset->keyId + "\""), std::string::npos) << keys[0];
            EXPECT_EQ(startingWith(playlist, "#EXTINF:").size(), static_cast<std::size_t>(segments));
            EXPECT_EQ(playlist.back().empty() ? playlist[playlist.size() - 2] : playlist.back(), "#EXT-X-ENDLIST");
        }

        // The asset's key opens its segments into MPEG transport stream packets.
        auto segment = media(asset->id + "/" + asset->id + "_180/seg_00000.ts");
        ASSERT_TRUE(segment && segment->status == 200);
        const std::string plain = decrypt(segment->body, asset->key, std::string(16, '\0'));
        ASSERT_GE(plain.size(), 189u);
        EXPECT_EQ(plain[0], 0x47);
        EXPECT_EQ(plain[188], 0x47);
        EXPECT_NE(segment->body[0], 0x47);

        const auto subtitlePlaylist = lines(asset->id + "/subs_no/index.m3u8");
        EXPECT_EQ(startingWith(subtitlePlaylist, "#EXTINF:").size(), static_cast<std::size_t>(segments));
        auto vtt = media(asset->id + "/subs_no/seg_00001.vtt");
        ASSERT_TRUE(vtt && vtt->status == 200);
        EXPECT_TRUE(startsWith(vtt->body, "WEBVTT\nX-TIMESTAMP-MAP=MPEGTS:")) << vtt->body;
        EXPECT_NE(vtt->body.find("00:00:04.250 --> "), std::string::npos) << vtt->body;
        EXPECT_TRUE(endsWith(vtt->body, "\n\n"));

        char last[64], beyond[64];
        std::snprintf(last, sizeof last, "images_1/%s_1.%05d.jpg", asset->id.c_str(), asset->durationSeconds - 1);
        std::snprintf(beyond, sizeof beyond, "images_1/%s_1.%05d.jpg", asset->id.c_str(), asset->durationSeconds);
        for (const std::string& picture : {std::string("images_1/") + asset->id + "_1.00000.jpg", std::string(last)}) {
            auto result = media(asset->id + "/" + picture);
            ASSERT_TRUE(result && result->status == 200) << picture;
            EXPECT_EQ(result->get_header_value("Content-Type"), "image/jpeg");
            EXPECT_TRUE(startsWith(result->body, "\xFF\xD8"));
        }
        auto missing = media(asset->id + "/" + beyond);
        EXPECT_TRUE(missing && missing->status == 404);
    }
}

TEST_F(MediaLibraryTest, TheMediaIsReusedAndOnlyServedFromTheAssetFolders) {
    ASSERT_FALSE(server_->media().ensure());
    // A second library on the same folder (another run) finds the set and its keys without ffmpeg.
    MediaLibrary again(sharedMediaDir(), "/nonexistent/ffmpeg");
    ASSERT_FALSE(again.ensure());
    for (const StreamAsset& asset : MediaLibrary::catalogue()) {
        EXPECT_EQ(again.asset(asset.id)->key, server_->media().asset(asset.id)->key);
        EXPECT_EQ(again.asset(asset.id)->keyId, server_->media().asset(asset.id)->keyId);
    }
    for (const char* path : {"aurora/../keys.json", "aurora/ffmpeg.log", "nothing/master.m3u8", "aurora/keys.json"}) {
        auto result = media(path);
        EXPECT_TRUE(result && result->status == 404) << path;
    }
}

TEST_F(MediaLibraryTest, WithoutFfmpegMediaAndSessionsAnswer503AndTheServerKeepsRunning) {
    test::TemporaryDirectory empty;
    BackendServer::Options withoutFfmpeg;
    withoutFfmpeg.mediaDir = empty.path();
    withoutFfmpeg.ffmpeg = "/nonexistent/ffmpeg";
    start(withoutFfmpeg);
    token_ = tokenFor(kAnna, kAnnasPassword);

    auto playlist = media("aurora/master.m3u8");
    ASSERT_TRUE(playlist);
    EXPECT_EQ(playlist->status, 503);
    EXPECT_NE(playlist->body.find("not installed"), std::string::npos) << playlist->body;
    auto opened = session("GET", kFilm, token_);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->status, 503);
    EXPECT_NE(resultText(opened->body, "systemMessage").find("/nonexistent/ffmpeg"), std::string::npos);
    EXPECT_TRUE(server_->isRunning());

    // Asked to prepare the media at start-up, the server says why it cannot start.
    withoutFfmpeg.prepareMedia = true;
    withoutFfmpeg.dataDir = dataDir_.file("other");
    BackendServer other(withoutFfmpeg);
    auto error = other.start();
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("not installed"), std::string::npos) << *error;
}

}  // namespace
}  // namespace movra::backend
