// StbImageCodec: ImageCodec over stb_image.
#pragma once

#include "Platform/ImageCodec.h"

namespace movra {

class StbImageCodec final : public ImageCodec {
public:
    /// Pictures larger than this many pixels are refused rather than decoded into memory.
    static constexpr long long kMaxPixels = 64LL * 1024 * 1024;

    ImagePtr decode(std::string_view bytes) const override;
};

}  // namespace movra
