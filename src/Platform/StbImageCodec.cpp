#include "Platform/StbImageCodec.h"

#include <climits>

#include <stb/stb_image.h>

namespace movra {

ImagePtr StbImageCodec::decode(std::string_view bytes) const {
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX)) return nullptr;
    const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
    const int length = static_cast<int>(bytes.size());
    int width = 0, height = 0, channels = 0;
    // Check the size first: a small file can claim a huge picture.
    if (!stbi_info_from_memory(data, length, &width, &height, &channels)) return nullptr;
    if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > kMaxPixels) return nullptr;
    stbi_uc* pixels = stbi_load_from_memory(data, length, &width, &height, &channels, 4);
    if (!pixels) return nullptr;
    auto image = std::make_shared<Image>();
    image->width = width;
    image->height = height;
    image->rgba.assign(pixels, pixels + static_cast<std::size_t>(width) * height * 4);
    stbi_image_free(pixels);
    return image;
}

}  // namespace movra
