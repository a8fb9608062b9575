// Image: decoded pixels, 8-bit RGBA, rows top to bottom.
#pragma once

#include <memory>
#include <vector>

namespace movra {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;
};

using ImagePtr = std::shared_ptr<const Image>;

}  // namespace movra
