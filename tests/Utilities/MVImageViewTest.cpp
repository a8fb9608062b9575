// MVImageView: each constrained size is loaded and cached apart.
#include "Utilities/MVImageView.h"
#include "support/TestImages.h"

#include <filesystem>

namespace movra {
namespace {

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
    EXPECT_EQ(env.network->requestCount(), 3u);
}

}  // namespace
}  // namespace movra
