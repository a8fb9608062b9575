// MVConstrainImageResponseSerializer: the aspect-fill geometry and the pixels that survive the crop.
#include "Utilities/MVConstrainImageResponseSerializer.h"
#include "support/TestImages.h"

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

}  // namespace
}  // namespace movra
