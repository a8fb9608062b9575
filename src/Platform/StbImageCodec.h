// StbImageCodec: ImageCodec over stb_image, stb_image_resize and stb_image_write.
#pragma once

#include "Platform/ImageCodec.h"

namespace movra {

class StbImageCodec final : public ImageCodec {
  public:
    /// Pictures larger than this many pixels are refused rather than decoded into memory.
    static constexpr long long kMaxPixels = 64LL * 1024 * 1024;

    ImagePtr decode(std::string_view bytes) const override;
    ImagePtr resize(const Image& image, int width, int height, const Region& region) const override;
    std::optional<std::string> encodePNG(const Image& image) const override;
};

}  // namespace movra
