// MVConstrainImageResponseSerializer: an image response serializer that redraws the decoded picture to the
// size of the view that shows it, filling the whole area and keeping the picture's proportions (aspect
// fill, centred crop).
//
// Thread contract: stateless apart from its size; responseObjectForResponse() runs on any thread.
#pragma once

#include "Foundation/Error.h"
#include "Platform/HttpResponse.h"
#include "Platform/Image.h"
#include "Utilities/Geometry.h"

#include <string_view>

namespace movra {

class MVConstrainImageResponseSerializer {
  public:
    /// Pixels per point of the main screen. The device description carries no scale, so this is the scale
    /// of the high-density phone screens the client is made for. Decoded pictures are taken at this scale
    /// too: a picture of 640 × 360 pixels measures 320 × 180 points.
    static constexpr double kMainScreenScale = 2.0;

    MVConstrainImageResponseSerializer() = default;
    explicit MVConstrainImageResponseSerializer(Size constrainedSize) : constrainedSize_(constrainedSize) {}

    /// In points; a side of 0 or less leaves pictures as they are decoded.
    Size constrainedSize() const { return constrainedSize_; }

    /// The decoded picture (see AFImageResponseSerializer), redrawn when it is not of the constrained size.
    ImagePtr responseObjectForResponse(const HttpResponse* response, std::string_view data, ErrorPtr* error) const;
    /// `image` as a picture of `size` points at the main screen's scale; the image itself when it already
    /// has that size or a side of `size` is not above 0.
    static ImagePtr imageByConstraining(const ImagePtr& image, Size size);
    /// Where a picture of `imageSize` is drawn in a canvas of `size` so that it covers it, centred.
    static Rect aspectFillRect(Size imageSize, Size size);

  private:
    Size constrainedSize_;
};

}  // namespace movra
