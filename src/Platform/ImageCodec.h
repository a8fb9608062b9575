// ImageCodec: decoding of picture files (PNG, JPEG, GIF, BMP), scaling and PNG encoding.
//
// Thread contract: stateless; any thread.
#pragma once

#include "Platform/Image.h"

#include <optional>
#include <string>
#include <string_view>

namespace movra {

class ImageCodec {
  public:
    /// A part of a picture in unit coordinates: (0, 0) is its top left corner, (1, 1) its bottom right.
    struct Region {
        double left = 0;
        double top = 0;
        double right = 1;
        double bottom = 1;
    };

    virtual ~ImageCodec() = default;
    /// The decoded picture, or nullptr when the bytes are not a picture this codec reads.
    virtual ImagePtr decode(std::string_view bytes) const = 0;
    /// The `region` of `image` scaled to `width` × `height` pixels, or nullptr when that size is empty or
    /// too large.
    virtual ImagePtr resize(const Image& image, int width, int height, const Region& region) const = 0;
    /// The picture as a PNG file, or nullopt when it cannot be encoded.
    virtual std::optional<std::string> encodePNG(const Image& image) const = 0;
};

}  // namespace movra
