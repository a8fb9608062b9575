// MVDiskImageCache: file naming, the cache policy, background writes, files that are no picture, emptying,
// and the memory limit.
#include "Utilities/MVDiskImageCache.h"
#include "support/TestImages.h"

#include <filesystem>
#include <future>

namespace movra {
namespace {

using MVDiskImageCacheTest = test::ImageTest;
using Policy = ImageRequest::CachePolicy;

constexpr const char* kPoster = "https://img.test/poster.jpg";
// MD5 of kPoster's UTF-8 bytes in lower-case hex.
const std::vector<std::string> kPosterFile = {"98f4aed3b5c73bd6eaf0099990fdbc36"};

ImageRequest requestFor(const std::string& url, Policy policy = Policy::UseProtocolCachePolicy) {
    return ImageRequest{*Url::parse(url), policy};
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    return names;
}

/// Holds both workers of the test platform's global queue until it goes away.
class GlobalQueueGate {
  public:
    explicit GlobalQueueGate(DispatchQueue& queue) {
        for (int worker = 0; worker < 2; ++worker) queue.async([opened = opened_] { opened.wait(); });
    }
    ~GlobalQueueGate() { open_.set_value(); }

  private:
    std::promise<void> open_;
    std::shared_future<void> opened_ = open_.get_future().share();
};

TEST_F(MVDiskImageCacheTest, PicturesAreWrittenWholeInTheBackgroundToFilesNamedByTheURLsMD5) {
    auto image = test::paintedImage(64, 32, [](int x, int) { return x < 32 ? test::kRed : test::kGreen; });
    {
        GlobalQueueGate gate(env.platform().globalQueue());
        cache->cacheImage(image, requestFor(kPoster));
        EXPECT_EQ(cached(kPoster), image);  // memory answers at once
        EXPECT_TRUE(filesIn(cache->folderPath()).empty());
    }
    settle();
    EXPECT_EQ(filesIn(dir.path() + "/Caches/catalog_images"), kPosterFile);
    // The next launch reads the file, pixel for pixel.
    auto read = MVDiskImageCache("catalog_images").cachedImageForRequest(requestFor(kPoster));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->rgba, image->rgba);
}

TEST_F(MVDiskImageCacheTest, RequestsThatIgnoreLocalDataGetNothing) {
    cache->cacheImage(test::paintedImage(2, 2), requestFor(kPoster));
    for (auto [policy, answered] : {std::pair{Policy::UseProtocolCachePolicy, true},
                                    {Policy::ReloadIgnoringLocalCacheData, false},
                                    {Policy::ReloadIgnoringLocalAndRemoteCacheData, false}})
        EXPECT_EQ(cache->cachedImageForRequest(requestFor(kPoster, policy)) != nullptr, answered);
}

TEST_F(MVDiskImageCacheTest, AFileThatIsNoPictureGivesNothing) {
    for (const char* contents : {"<html>not a picture</html>", ""}) {
        dir.write("Caches/catalog_images/" + kPosterFile[0], contents);
        EXPECT_FALSE(cached(kPoster)) << contents;
    }
}

TEST_F(MVDiskImageCacheTest, RemoveAllObjectsEmptiesMemoryAndDiskForGood) {
    cache->cacheImage(test::paintedImage(2, 2), requestFor(kPoster));
    settle();
    {
        // A write still queued when the cache is emptied must not bring its file back.
        GlobalQueueGate gate(env.platform().globalQueue());
        cache->cacheImage(test::paintedImage(2, 2), requestFor("https://img.test/late.jpg"));
        cache->removeAllObjects();
    }
    settle();
    EXPECT_FALSE(cached(kPoster));
    EXPECT_TRUE(filesIn(cache->folderPath()).empty());
    cache->cacheImage(test::paintedImage(2, 2), requestFor(kPoster));
    settle();
    EXPECT_EQ(filesIn(cache->folderPath()), kPosterFile);
}

TEST_F(MVDiskImageCacheTest, MemoryDropsTheLeastRecentlyUsedPicturesFirst) {
    MVDiskImageCache small("small", /*memoryLimitBytes=*/2 * 2 * 2 * 4);
    for (const char* name : {"a", "b", "a", "c"}) {
        const auto request = requestFor(std::string("https://img.test/") + name);
        if (!small.cachedImageForRequest(request)) small.cacheImage(test::paintedImage(2, 2), request);
    }
    settle();
    EXPECT_EQ(filesIn(small.folderPath()).size(), 3u);
    std::filesystem::remove_all(small.folderPath());
    for (auto [name, kept] : {std::pair{"a", true}, {"b", false}, {"c", true}})
        EXPECT_EQ(small.cachedImageForRequest(requestFor(std::string("https://img.test/") + name)) != nullptr, kept);
}

}  // namespace
}  // namespace movra
