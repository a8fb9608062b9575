// Drawing and encoding the catalogue's pictures.
#include "movra-backend/ImageRenderer.h"

#include "Foundation/Crypto.h"
#include "Platform/StbImageCodec.h"

#include <algorithm>

namespace movra::backend {

std::optional<std::string> ImageRenderer::png(std::string_view guid, int width, int height) {
    if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide) return std::nullopt;

    const std::string digest = md5Hex(guid);
    auto byte = [&](int index) {
        return std::stoi(digest.substr(static_cast<std::size_t>(index) * 2, 2), nullptr, 16);
    };
    const int top[3] = {byte(0), byte(1), byte(2)};
    // A third as bright at the bottom, so that every guid gets a visible gradient.
    const int bottom[3] = {byte(3) / 3, byte(4) / 3, byte(5) / 3};
    const int stripe = std::max(8, height / 6);
    const int band = height * 4 / 5;

    Image image;
    image.width = width;
    image.height = height;
    image.rgba.resize(static_cast<std::size_t>(width) * height * 4);
    unsigned char* pixel = image.rgba.data();
    for (int y = 0; y < height; ++y) {
        const double t = static_cast<double>(y) / height;
        for (int x = 0; x < width; ++x, pixel += 4) {
            const bool light = ((x + y) / stripe) % 2 == 0;
            for (int c = 0; c < 3; ++c) {
                int value = static_cast<int>(top[c] * (1 - t) + bottom[c] * t);
                if (light) value += (255 - value) / 5;
                if (y >= band) value /= 2;
                pixel[c] = static_cast<unsigned char>(value);
            }
            pixel[3] = 255;
        }
    }
    return StbImageCodec().encodePNG(image);
}

}  // namespace movra::backend
