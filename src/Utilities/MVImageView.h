// MVImageView: the headless part of an image view: the picture it shows, its opacity, and the loading of
// a picture from a URL through the image views' shared cache, plainly, redrawn to the view's size, or
// redrawn and faded in.
//
// Thread contract: main queue only; success and failure blocks run on the main queue. Own views through
// std::shared_ptr: a load reports back only to a view that is still alive.
#pragma once

#include "Foundation/Error.h"
#include "Foundation/Url.h"
#include "Platform/HttpResponse.h"
#include "Platform/HttpTask.h"
#include "Platform/Image.h"
#include "Utilities/Geometry.h"
#include "Utilities/ImageRequest.h"
#include "Utilities/MVConstrainImageResponseSerializer.h"

#include <functional>
#include <memory>

namespace movra {

class MVDiskImageCache;

class MVImageView : public std::enable_shared_from_this<MVImageView> {
  public:
    /// (request, response, image); the response is null when the picture came from the cache.
    using Success =
        std::function<void(const ImageRequest& request, std::shared_ptr<const HttpResponse> response, ImagePtr image)>;
    using Failure =
        std::function<void(const ImageRequest& request, std::shared_ptr<const HttpResponse> response, ErrorPtr error)>;

    static constexpr double kFadeInDuration = 0.25;

    /// The image views' shared cache, registered on the platform, or nullptr.
    static std::shared_ptr<MVDiskImageCache> sharedImageCache();

    ImagePtr image() const { return image_; }
    void setImage(ImagePtr image) { image_ = std::move(image); }
    double alpha() const { return alpha_; }
    void setAlpha(double alpha) { alpha_ = alpha; }

    /// A picture the shared cache holds is handed to `success` at once; otherwise the placeholder (when
    /// given) is shown while the URL is loaded with "Accept" = "image/*" and the picture cached. Without a
    /// success block the picture is shown. A new load replaces the running one, which then reports nothing.
    void setImageWithURL(const Url& url, ImagePtr placeholderImage, Success success, Failure failure);
    /// With both sides of `constrainedSize` above 0, the picture is redrawn to that size and loaded and
    /// cached under the URL followed by "#<width>x<height>" (whole points), so that each size is cached
    /// apart; otherwise as the plain form.
    void setImageWithURL(const Url& url, ImagePtr placeholderImage, Size constrainedSize, Success success,
                         Failure failure);
    /// The constrained form with the current picture as placeholder; the picture arrives on a later turn
    /// of the main queue and fades in from transparent over kFadeInDuration.
    void setImageWithURL(const Url& url, Size constrainedSize);

    /// The running load's task, or nullptr.
    const HttpTaskPtr& imageRequestOperation() const { return imageRequestOperation_; }
    void cancelImageRequestOperation();

  private:
    void load(const ImageRequest& request, ImagePtr placeholderImage, MVConstrainImageResponseSerializer serializer,
              Success success, Failure failure);

    ImagePtr image_;
    double alpha_ = 1.0;
    HttpTaskPtr imageRequestOperation_;
};

}  // namespace movra
