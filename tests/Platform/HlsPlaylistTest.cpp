// Reading and rewriting HLS playlists: quoted attributes with commas, CRLF lines, every kind of URI, and
// the renditions a choice leaves.
#include "Platform/HlsPlaylist.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

TEST(HlsPlaylistTest, ReadsRenditionsVariantsAndDuration) {
    auto master = HlsPlaylist::parse(
        "#EXTM3U\r\n"
        "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aud\",NAME=\"Svenska, "
        "tal\",LANGUAGE=\"sv\",DEFAULT=YES,URI=\"sv/a.m3u8\"\r\n"
        "#EXT-X-MEDIA:TYPE=SUBTITLES,NAME=\"Undertexter\",LANGUAGE=\"sv\",DEFAULT=NO,URI=\"sub/s.m3u8\"\r\n"
        "#EXT-X-STREAM-INF:PROGRAM-ID=1,BANDWIDTH=1,CODECS=\"avc1.4d401e,mp4a.40.2\"\r\n"
        "v_360/index.m3u8\r\n");
    ASSERT_TRUE(master);
    ASSERT_EQ(master->renditions().size(), 2u);
    EXPECT_EQ(master->renditions()[0].name, "Svenska, tal");
    EXPECT_EQ(master->renditions()[0].uri, "sv/a.m3u8");
    EXPECT_TRUE(master->renditions()[0].isDefault);
    EXPECT_EQ(master->renditions()[1].type, "SUBTITLES");
    EXPECT_FALSE(master->renditions()[1].isDefault);
    EXPECT_EQ(master->variantUris(), std::vector<std::string>{"v_360/index.m3u8"});
    EXPECT_EQ(master->variantBandwidths(), std::vector<std::optional<double>>{1.0});

    auto vod = HlsPlaylist::parse("#EXTM3U\n#EXTINF:4.0,\na.ts\n#EXTINF:2.5,\nb.ts\n#EXT-X-ENDLIST\n");
    ASSERT_TRUE(vod);
    EXPECT_EQ(vod->duration(), 6.5);
    EXPECT_EQ(HlsPlaylist::parse("#EXTM3U\n#EXTINF:4.0,\na.ts\n")->duration(), std::nullopt);
    EXPECT_FALSE(HlsPlaylist::parse("<html>"));
}

TEST(HlsPlaylistTest, RewritesEveryUriAndNothingElse) {
    const std::string rewritten = HlsPlaylist::rewriteUris(
        "#EXTM3U\r\n#EXT-X-KEY:METHOD=AES-128,URI=\"skd://k1\",IV=0x01\r\n#EXTINF:4,\r\nseg0.ts\r\n\r\n"
        "#EXT-X-MAP:URI=\"init.mp4\"\r\n#EXT-X-ENDLIST\r\n",
        [](const std::string& uri) { return "L(" + uri + ")"; });
    EXPECT_EQ(rewritten,
              "#EXTM3U\n#EXT-X-KEY:METHOD=AES-128,URI=\"L(skd://k1)\",IV=0x01\n#EXTINF:4,\nL(seg0.ts)\n\n"
              "#EXT-X-MAP:URI=\"L(init.mp4)\"\n#EXT-X-ENDLIST\n");
}

TEST(HlsPlaylistTest, KeepsChosenRenditionsAndDropsReferencesToEmptiedGroups) {
    const std::string master =
        "#EXTM3U\n"
        "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aud\",NAME=\"Svenska\",URI=\"sv.m3u8\"\n"
        "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aud\",NAME=\"English\",URI=\"en.m3u8\"\n"
        "#EXT-X-MEDIA:TYPE=SUBTITLES,GROUP-ID=\"subs\",NAME=\"Norsk\",URI=\"no.m3u8\"\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=1,CODECS=\"avc1.4d401e,mp4a.40.2\",AUDIO=\"aud\",SUBTITLES=\"subs\"\n"
        "v/index.m3u8\n";
    EXPECT_EQ(HlsPlaylist::keepRenditions(master, [](const auto& r) { return r.name == "English"; }),
              "#EXTM3U\n"
              "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aud\",NAME=\"English\",URI=\"en.m3u8\"\n"
              "#EXT-X-STREAM-INF:BANDWIDTH=1,CODECS=\"avc1.4d401e,mp4a.40.2\",AUDIO=\"aud\"\n"
              "v/index.m3u8\n");
    // Keeping everything changes nothing; an unterminated quote is closed rather than swallowing the line.
    EXPECT_EQ(HlsPlaylist::keepRenditions(master, [](const auto&) { return true; }), master);
    EXPECT_EQ(
        HlsPlaylist::keepRenditions("#EXTM3U\n#EXT-X-STREAM-INF:CODECS=\"avc1\n", [](const auto&) { return true; }),
        "#EXTM3U\n#EXT-X-STREAM-INF:CODECS=\"avc1\"\n");
}

}  // namespace
}  // namespace movra
