// MVSeekCache: where the pictures live, what the prefetch asks for and how many at once, the lookups'
// rounding, cancellation, and the faults that must leave holes rather than wrong pictures.
#include "Foundation/Crypto.h"
#include "Utilities/MVSeekCache.h"
#include "support/LogCapture.h"
#include "support/TestImages.h"

#include <cmath>
#include <filesystem>

namespace movra {
namespace {

using test::ScriptedReply;

constexpr const char* kPlaylistUrl = "https://cdn.test/v/master.m3u8";
constexpr const char* kPictureBase = "https://cdn.test/v/images_1/asset_1.";

std::string masterPlaylist(const std::string& lastVariant = "video/asset_720/index.m3u8") {
    return "#EXTM3U\n#EXT-X-STREAM-INF:PROGRAM-ID=1,BANDWIDTH=400000\nvideo/other_360/index.m3u8\n"
           "#EXT-X-STREAM-INF:PROGRAM-ID=1,BANDWIDTH=900000\n" +
           lastVariant + "\n";
}

/// The second a picture was painted for, read back from its red channel.
int secondOf(const ImagePtr& image) { return image ? image->rgba[0] : -1; }

class MVSeekCacheTest : public test::ImageTest {
  protected:
    MVSeekCacheTest() {
        env.network->setScript([this](const HttpRequest& request) -> ScriptedReply {
            if (request.url == kPlaylistUrl)
                return test::reply(playlistStatus, "application/vnd.apple.mpegurl", playlist);
            const std::string base = kPictureBase;
            if (request.url.rfind(base, 0) != 0) return test::reply(404, "text/plain", "");
            if (holdPictures) return test::heldReply();
            const int second = std::stoi(request.url.substr(base.size(), 5));
            if (second == corruptSecond) return test::reply(200, "image/jpeg", "not a picture");
            return test::pngReply(*test::paintedImage(1, 1, [second](int, int) {
                return test::Rgba{static_cast<unsigned char>(second), 0, 0, 255};
            }));
        });
    }

    void prefetch(unsigned step, unsigned maxFrame) {
        seek->downloadImagesFromPlaylist(*Url::parse(kPlaylistUrl), step, maxFrame);
        waitForDownloads(*seek);
    }
    void waitForDownloads(MVSeekCache& downloading) {
        EXPECT_TRUE(env.runUntil([&] { return downloading.operationCount() == 0; }));
        settle();
    }
    std::vector<std::string> pictureRequests() const {
        std::vector<std::string> urls;
        for (const auto& request : env.network->requests())
            if (request.url != kPlaylistUrl) urls.push_back(request.url.substr(std::string(kPictureBase).size()));
        return urls;
    }

    std::string playlist = masterPlaylist();
    int playlistStatus = 200;
    bool holdPictures = false;
    int corruptSecond = -1;
    std::shared_ptr<MVSeekCache> seek = std::make_shared<MVSeekCache>();
};

TEST(MVSeekCacheParseTest, BasePathComesFromTheLastUsableVariantDirectory) {
    const auto base = *Url::parse("https://cdn.test/v/master.m3u8?token=abc#frag");
    const struct {
        std::string playlist;
        std::optional<std::string> expected;
    } cases[] = {
        {masterPlaylist(), "https://cdn.test/v/images_1/asset_1."},
        // The prefix ends at the last "_"; CR LF line ends are no part of the name.
        {"#EXTM3U\r\n#EXT-X-STREAM-INF:PROGRAM-ID=1,BANDWIDTH=1\r\nmy_show_720/index.m3u8\r\n",
         "https://cdn.test/v/images_1/my_show_1."},
        // A later entry without "_" does not undo an earlier usable one.
        {masterPlaylist() + "#EXT-X-STREAM-INF:PROGRAM-ID=1,BANDWIDTH=1\nplain/index.m3u8\n",
         "https://cdn.test/v/images_1/asset_1."},
        {"#EXTM3U\n#EXT-X-STREAM-INF:PROGRAM-ID=1,BANDWIDTH=1\nvideo/plain/index.m3u8\n", std::nullopt},
        {"#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\nasset_720/index.m3u8\n", std::nullopt},
        {"#EXTM3U\n#EXT-X-STREAM-INF:PROGRAM-ID=1,BANDWIDTH=1\nindex.m3u8\n", std::nullopt},
        {"#EXTM3U\n#EXT-X-STREAM-INF:PROGRAM-ID=1,BANDWIDTH=1", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MVSeekCache::parseBaseImagePathFromPlaylist(c.playlist, base), c.expected) << c.playlist;
}

TEST_F(MVSeekCacheTest, PrefetchAsksForEveryStepBelowTheLastFrameAsPictures) {
    prefetch(/*step=*/30, /*maxFrame=*/100);
    EXPECT_EQ(pictureRequests(), (std::vector<std::string>{"00000.jpg", "00030.jpg", "00060.jpg", "00090.jpg"}));
    for (const auto& request : env.network->requests()) {
        if (request.url != kPlaylistUrl) {
            EXPECT_EQ(request.header("Accept"), "image/*");
        }
    }
    EXPECT_EQ(seek->baseFramePath(), kPictureBase);

    // The seek bar's picture is the one of the step below; the loaded one is that of the whole second.
    EXPECT_EQ(secondOf(seek->cachedImageForTime(59.7)), 30);
    EXPECT_EQ(secondOf(seek->cachedImageForTime(90)), 90);
    EXPECT_EQ(seek->urlForImageAtTime(59.7)->absoluteString(), std::string(kPictureBase) + "00059.jpg");
    EXPECT_EQ(seek->cachedImageForTime(-1), nullptr);
    EXPECT_EQ(seek->urlForImageAtTime(std::nan("")), std::nullopt);

    seek->deleteCache();
    EXPECT_EQ(seek->cachedImageForTime(30), nullptr);
    EXPECT_FALSE(std::filesystem::exists(MVDiskImageCache::cachesDirectory() + "/seek_cache/" +
                                         md5Hex(std::string(kPictureBase) + "00030.jpg")));
}

TEST_F(MVSeekCacheTest, StepAndLastFrameEdges) {
    prefetch(/*step=*/0, /*maxFrame=*/3);
    EXPECT_EQ(seek->step(), 1u);
    EXPECT_EQ(pictureRequests(), (std::vector<std::string>{"00000.jpg", "00001.jpg", "00002.jpg"}));

    auto other = std::make_shared<MVSeekCache>();
    other->downloadImagesFromPlaylist(*Url::parse(kPlaylistUrl), 1, /*maxFrame=*/0);
    waitForDownloads(*other);
    EXPECT_EQ(pictureRequests().size(), 3u);
    // Without a prefetch the base path is known all the same: the screen loads pictures by URL.
    EXPECT_EQ(other->baseFramePath(), kPictureBase);
}

TEST_F(MVSeekCacheTest, PlaylistFaultsLeaveNoBasePathAndNoPictures) {
    test::LogCapture log;
    const struct {
        std::string playlist;
        int status;
    } cases[] = {{"#EXTM3U\n#EXT-X-TARGETDURATION:4\nsegment0.ts\n", 200}, {masterPlaylist(), 500}};
    for (const auto& c : cases) {
        playlist = c.playlist;
        playlistStatus = c.status;
        seek = std::make_shared<MVSeekCache>();
        prefetch(1, 10);
        EXPECT_EQ(seek->baseFramePath(), std::nullopt);
        EXPECT_EQ(seek->cachedImageForTime(0), nullptr);
        EXPECT_EQ(seek->urlForImageAtTime(0), std::nullopt);
    }
    EXPECT_TRUE(pictureRequests().empty());
    EXPECT_EQ(log.containing("Playlist download failed").size(), 1u);
}

TEST_F(MVSeekCacheTest, CorruptOrMissingPicturesAreHoles) {
    corruptSecond = 2;
    playlist = masterPlaylist();
    prefetch(1, 4);
    EXPECT_EQ(secondOf(seek->cachedImageForTime(1)), 1);
    EXPECT_EQ(seek->cachedImageForTime(2), nullptr);

    // A cached picture answers at once, without the network; a failed one never answers.
    std::vector<int> answers;
    const auto before = env.network->requests().size();
    seek->downloadAndCacheImageFromURL(*seek->urlForImageAtTime(3),
                                       [&](ImagePtr image) { answers.push_back(secondOf(image)); });
    EXPECT_EQ(answers, std::vector<int>{3});
    seek->downloadAndCacheImageFromURL(*seek->urlForImageAtTime(2), [&](ImagePtr) { answers.push_back(-2); });
    waitForDownloads(*seek);
    EXPECT_EQ(answers, std::vector<int>{3});
    EXPECT_EQ(env.network->requests().size(), before + 1);
}

TEST_F(MVSeekCacheTest, AtMostFourDownloadsAtOnceAndCancellingStopsTheRest) {
    holdPictures = true;
    seek->downloadImagesFromPlaylist(*Url::parse(kPlaylistUrl), 1, 360);
    ASSERT_TRUE(env.runUntil([&] { return pictureRequests().size() == 4; }));
    env.main().runPending();
    EXPECT_EQ(pictureRequests().size(), 4u);
    EXPECT_EQ(seek->operationCount(), 360u);

    seek->cancelDownloads();
    settle();
    EXPECT_EQ(seek->operationCount(), 0u);
    EXPECT_EQ(pictureRequests().size(), 4u);
    EXPECT_TRUE(env.platform().sharedTransport().tasks().empty());
}

TEST_F(MVSeekCacheTest, OlderDevicesDownloadTwoAtOnce) {
    for (auto [model, older] : {std::pair{"iPhone3,1", true},
                                {"iPad3,4", true},
                                {"iPod4,1", true},
                                {"iPhone", false},
                                {"iPhone10,3", false},
                                {"iPad", false}})
        EXPECT_EQ(MVSeekCache::isOlderDevice(model), older) << model;
    env.device->model_ = "iPod2,1";
    EXPECT_EQ(MVSeekCache().maxConcurrentDownloads(), 2u);
}

TEST_F(MVSeekCacheTest, ReleasingTheCacheEmptiesItsFolder) {
    prefetch(1, 3);
    env.globalQueue->drain();
    const auto folder = MVDiskImageCache::cachesDirectory() + "/seek_cache";
    EXPECT_FALSE(std::filesystem::is_empty(folder));
    seek.reset();
    settle();
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

}  // namespace
}  // namespace movra
