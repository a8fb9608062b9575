// ImageRenderer: the catalogue's pictures, drawn rather than stored: a gradient between two colours taken
// from the guid, diagonal stripes, and a dark band where a title would sit. The same guid and size always
// give the same bytes.
//
// Thread contract: stateless; any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace movra::backend {

class ImageRenderer {
  public:
    /// Sides above this are refused rather than drawn.
    static constexpr int kLargestSide = 2048;

    /// The picture of `guid` as a PNG file of `width` × `height` pixels; nullopt when a side is outside
    /// 1 to kLargestSide.
    static std::optional<std::string> png(std::string_view guid, int width, int height);
};

}  // namespace movra::backend
