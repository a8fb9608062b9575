#include "Utilities/MVConstrainImageResponseSerializer.h"

#include "Platform/Platform.h"
#include "Utilities/AFImageResponseSerializer.h"

#include <cmath>

namespace movra {

ImagePtr MVConstrainImageResponseSerializer::responseObjectForResponse(const HttpResponse* response,
                                                                       std::string_view data, ErrorPtr* error) const {
    return imageByConstraining(AFImageResponseSerializer().responseObjectForResponse(response, data, error),
                               constrainedSize_);
}

ImagePtr MVConstrainImageResponseSerializer::imageByConstraining(const ImagePtr& image, Size size) {
    if (!image || size.width <= 0 || size.height <= 0) return image;
    const Size imageSize{image->width / kMainScreenScale, image->height / kMainScreenScale};
    if (imageSize == size) return image;
    const Rect drawn = aspectFillRect(imageSize, size);
    // The part of the picture that falls inside the canvas, in the picture's own unit coordinates.
    const ImageCodec::Region visible{-drawn.x / drawn.width, -drawn.y / drawn.height,
                                     (size.width - drawn.x) / drawn.width, (size.height - drawn.y) / drawn.height};
    auto redrawn =
        Platform::current().imageCodec().resize(*image, static_cast<int>(std::lround(size.width * kMainScreenScale)),
                                                static_cast<int>(std::lround(size.height * kMainScreenScale)), visible);
    // A canvas the codec refuses (absurdly large) leaves the picture as decoded rather than losing it.
    return redrawn ? redrawn : image;
}

Rect MVConstrainImageResponseSerializer::aspectFillRect(Size imageSize, Size size) {
    const double aspect = imageSize.width / imageSize.height;
    const double W = size.width, H = size.height;
    if (aspect == W / H) return {0, 0, W, H};
    if (H <= W / aspect) return {0, (H - W / aspect) / 2, W, W / aspect};
    return {(W - aspect * H) / 2, 0, aspect * H, H};
}

}  // namespace movra
