// The seek cache over the real transport (libcurl over TLS) against the emulator's published pictures: the
// base path read from a real master playlist, a whole prefetch, and lookups that answer the pictures the
// emulator serves for those seconds.
#include "Foundation/Strings.h"
#include "Utilities/MVSeekCache.h"
#include "movra-backend/BackendServer.h"
#include "movra-backend/MediaLibrary.h"
#include "support/TemporaryDirectory.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>
#include <httplib.h>

namespace movra {
namespace {

TEST(SeekCacheAgainstEmulatorTest, PrefetchesEveryPictureOfATitleAndAnswersThemFromTheCache) {
    test::TemporaryDirectory directory;
    backend::BackendServer::Options options;
    options.dataDir = directory.path() + "/emulator";
    options.mediaDir = MOVRA_TEST_MEDIA_DIR;
    options.prepareMedia = true;
    backend::BackendServer server(options);
    ASSERT_EQ(server.start(), std::nullopt);
    test::TestPlatform env(test::TestPlatform::Options::realNetwork(server.caFile(), directory.path() + "/client"));

    const auto& asset = backend::MediaLibrary::catalogue().front();
    const auto duration = static_cast<unsigned>(asset.durationSeconds);
    const auto playlist = *Url::parse("https://" + server.baseHost() + "/media/" + asset.id + "/master.m3u8");
    auto cache = std::make_shared<MVSeekCache>();
    cache->downloadImagesFromPlaylist(playlist, duration / 360, duration);
    ASSERT_TRUE(env.runUntil([&] { return cache->operationCount() == 0; }, 60));
    EXPECT_EQ(cache->baseFramePath(),
              "https://" + server.baseHost() + "/media/" + asset.id + "/images_1/" + asset.id + "_1.");
    for (unsigned second = 0; second < duration; ++second) {
        auto picture = cache->cachedImageForTime(second + 0.5);
        ASSERT_TRUE(picture) << second;
        EXPECT_GT(picture->width, 0);
    }
    EXPECT_EQ(cache->cachedImageForTime(duration), nullptr);

    // The cached picture of a second is the one the emulator serves for it, and not its neighbour's.
    httplib::SSLClient direct("127.0.0.1", server.port());
    direct.set_ca_cert_path(server.caFile().c_str());
    const auto url = *cache->urlForImageAtTime(7.9);
    EXPECT_TRUE(endsWith(url.absoluteString(), "_1.00007.jpg")) << url.absoluteString();
    auto served = direct.Get(url.path().c_str());
    ASSERT_TRUE(served);
    auto decoded = env.platform().imageCodec().decode(served->body);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->rgba, cache->cachedImageForTime(7)->rgba);
    EXPECT_NE(decoded->rgba, cache->cachedImageForTime(8)->rgba);
}

}  // namespace
}  // namespace movra
