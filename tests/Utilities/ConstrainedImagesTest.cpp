// Pictures constrained to a view's size: the aspect-fill geometry, the pixels that survive the crop, and each
// constrained size loaded and cached apart by MVImageView.
#include "Utilities/MVConstrainImageResponseSerializer.h"
#include "Utilities/MVImageView.h"
#include "support/TestImages.h"

#include <filesystem>

namespace movra {
namespace {

using Serializer = MVConstrainImageResponseSerializer;

TEST(MVConstrainImageResponseSerializerTest, AspectFillGeometry) {
    const struct {
        Size image, canvas;
        Rect drawn;
    } cases[] = {
        {{1000, 1000}, {320, 180}, {0, -70, 320, 320}},  // 70 points cropped at top and bottom
        {{1280, 720}, {320, 180}, {0, 0, 320, 180}},     {{100, 1000}, {320, 180}, {0, -1510, 320, 3200}},
        {{1000, 100}, {320, 180}, {-740, 0, 1800, 180}}, {{100, 50}, {320, 320}, {-160, 0, 640, 320}},
    };
    for (const auto& c : cases) {
        const auto r = Serializer::aspectFillRect(c.image, c.canvas);
        EXPECT_NEAR(r.x, c.drawn.x, 1e-9) << c.image.width << "x" << c.image.height;
        EXPECT_NEAR(r.y, c.drawn.y, 1e-9) << c.image.width << "x" << c.image.height;
        EXPECT_NEAR(r.width, c.drawn.width, 1e-9) << c.image.width << "x" << c.image.height;
        EXPECT_NEAR(r.height, c.drawn.height, 1e-9) << c.image.width << "x" << c.image.height;
    }
}

TEST(MVConstrainImageResponseSerializerTest, RedrawsKeepingOnlyTheCentreAndLeavePicturesOfTheSizeAlone) {
    test::TestPlatform env;
    // The 200-pixel bands at both ends lie outside the crop.
    auto bands =
        test::paintedImage(1000, 1000, [](int, int y) { return y < 200 || y >= 800 ? test::kRed : test::kGreen; });
    auto out = Serializer::imageByConstraining(bands, {320, 180});
    ASSERT_EQ(std::make_pair(out->width, out->height), std::make_pair(640, 360));  // at the screen's scale
    for (auto [x, y] : {std::pair{0, 0}, {639, 0}, {320, 180}, {0, 359}, {639, 359}})
        EXPECT_LT(out->rgba[(y * 640 + x) * 4], 8) << x << "," << y;  // no red

    auto sized = test::paintedImage(640, 360);  // 320 × 180 points
    for (Size size : {Size{320, 180}, Size{0, 180}, Size{-1, -1}})
        EXPECT_EQ(Serializer::imageByConstraining(sized, size), sized) << size.width << "x" << size.height;
}

using MVImageViewTest = test::ImageTest;

TEST_F(MVImageViewTest, EachConstrainedSizeIsLoadedAndCachedApart) {
    const std::string poster = "https://img.test/poster.jpg";
    env.network->setScript([](const HttpRequest&) { return test::pngReply(*test::paintedImage(10, 10)); });
    const struct {
        Size size;
        std::string key, file;  // the file is the key's MD5
        int pixelWidth;
    } cases[] = {
        {{320, 180}, poster + "#320x180", "49d64f4a7a521290f5a4790bc23a4c66", 640},
        {{640, 360}, poster + "#640x360", "3699fe6e8349aad8baa9900fc4d4aa88", 1280},
        {{0, 180}, poster, "98f4aed3b5c73bd6eaf0099990fdbc36", 10},
    };
    auto view = std::make_shared<MVImageView>();
    for (const auto& c : cases) {
        view->setImageWithURL(*Url::parse(poster), nullptr, c.size, nullptr, nullptr);
        ASSERT_TRUE(env.runUntil([&] { return view->image() && view->image()->width == c.pixelWidth; })) << c.key;
        EXPECT_EQ(cached(c.key), view->image()) << c.key;
    }
    // The fragment only names the cache entry: the plain URL is what goes out.
    for (const auto& request : env.network->requests())
        EXPECT_EQ(std::make_pair(request.url, request.header("Accept")),
                  std::make_pair(poster, std::optional<std::string>("image/*")));
    settle();
    for (const auto& c : cases) EXPECT_TRUE(std::filesystem::exists(cache->folderPath() + "/" + c.file)) << c.key;
    view->setImageWithURL(*Url::parse(poster), nullptr, Size{320, 180}, nullptr, nullptr);
    EXPECT_EQ(view->image()->width, 640);
    EXPECT_EQ(env.network->requests().size(), 3u);
}

}  // namespace
}  // namespace movra
