// ImageCodec: decoding of picture files (PNG, JPEG, GIF, BMP).
//
// Thread contract: stateless; any thread.
#pragma once

#include <string_view>

#include "Platform/Image.h"

namespace movra {

class ImageCodec {
public:
    virtual ~ImageCodec() = default;
    /// The decoded picture, or nullptr when the bytes are not a picture this codec reads.
    virtual ImagePtr decode(std::string_view bytes) const = 0;
};

}  // namespace movra
