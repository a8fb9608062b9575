// For the image tests: painted pictures, picture answers for the scripted network, and a fixture whose data
// directory is a fresh temporary folder, with the image views' shared cache installed.
#pragma once

#include "Utilities/MVDiskImageCache.h"
#include "support/TemporaryDirectory.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>

namespace movra::test {

using Rgba = std::array<unsigned char, 4>;
inline constexpr Rgba kRed = {255, 0, 0, 255}, kGreen = {0, 255, 0, 255};

inline ImagePtr paintedImage(int width, int height, const std::function<Rgba(int x, int y)>& colour = nullptr) {
    auto image = std::make_shared<Image>(Image{width, height, {}});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto c = colour ? colour(x, y) : kGreen;
            image->rgba.insert(image->rgba.end(), c.begin(), c.end());
        }
    return image;
}
inline ScriptedReply pngReply(const Image& image) {
    return {200, {{"Content-Type", "image/png"}}, *Platform::current().imageCodec().encodePNG(image), nullptr, false};
}

class ImageTest : public ::testing::Test {
  protected:
    ImageTest() : env(options(dir)) { env.platform().setObject(cache); }

    /// Lets background work and the answers in flight finish, and runs what they left on the main queue.
    void settle() {
        env.globalQueue->drain();
        env.main().runPending();
    }
    ImagePtr cached(const std::string& url) { return cache->cachedImageForRequest(ImageRequest{*Url::parse(url)}); }

    TemporaryDirectory dir;
    TestPlatform env;
    std::shared_ptr<MVDiskImageCache> cache = std::make_shared<MVDiskImageCache>("catalog_images");

  private:
    static TestPlatform::Options options(const TemporaryDirectory& directory) {
        TestPlatform::Options o;
        o.configuration.dataDirectory = directory.path();
        return o;
    }
};

}  // namespace movra::test
