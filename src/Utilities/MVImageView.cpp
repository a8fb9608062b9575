#include "Utilities/MVImageView.h"

#include "Platform/Platform.h"
#include "Utilities/MVDiskImageCache.h"

#include <string>

namespace movra {

std::shared_ptr<MVDiskImageCache> MVImageView::sharedImageCache() {
    return Platform::current().object<MVDiskImageCache>();
}

void MVImageView::setImageWithURL(const Url& url, ImagePtr placeholderImage, Success success, Failure failure) {
    load(ImageRequest{url}, std::move(placeholderImage), MVConstrainImageResponseSerializer(), std::move(success),
         std::move(failure));
}

void MVImageView::setImageWithURL(const Url& url, ImagePtr placeholderImage, Size constrainedSize, Success success,
                                  Failure failure) {
    const auto sized = Url::parse(url.absoluteString() + "#" + std::to_string(static_cast<int>(constrainedSize.width)) +
                                  "x" + std::to_string(static_cast<int>(constrainedSize.height)));
    if (constrainedSize.width <= 0 || constrainedSize.height <= 0 || !sized) {
        setImageWithURL(url, std::move(placeholderImage), std::move(success), std::move(failure));
        return;
    }
    load(ImageRequest{*sized}, std::move(placeholderImage), MVConstrainImageResponseSerializer(constrainedSize),
         std::move(success), std::move(failure));
}

void MVImageView::setImageWithURL(const Url& url, Size constrainedSize) {
    std::weak_ptr<MVImageView> weak = weak_from_this();
    auto fadeIn = [weak](const ImageRequest&, std::shared_ptr<const HttpResponse>, ImagePtr image) {
        Platform::current().mainQueue().post([weak, image] {
            auto self = weak.lock();
            if (!self) return;
            self->setImage(image);
            self->setAlpha(0);
            Platform::current().uiHost().animate(kFadeInDuration, [weak] {
                if (auto view = weak.lock()) view->setAlpha(1);
            });
        });
    };
    setImageWithURL(url, image_, constrainedSize, fadeIn, nullptr);
}

void MVImageView::cancelImageRequestOperation() {
    if (imageRequestOperation_) imageRequestOperation_->cancel();
    imageRequestOperation_.reset();
}

void MVImageView::load(const ImageRequest& request, ImagePtr placeholderImage,
                       MVConstrainImageResponseSerializer serializer, Success success, Failure failure) {
    cancelImageRequestOperation();
    if (auto cache = sharedImageCache()) {
        if (auto cached = cache->cachedImageForRequest(request)) {
            if (success)
                success(request, nullptr, cached);
            else
                setImage(cached);
            return;
        }
    }
    if (placeholderImage) setImage(std::move(placeholderImage));
    std::weak_ptr<MVImageView> weak = weak_from_this();
    imageRequestOperation_ = Platform::current().sharedTransport().dataTask(
        request.httpRequest(),
        [weak, request, serializer, success, failure, mainQueue = Platform::current().mainQueue().handle()](
            const HttpTaskPtr& task, std::shared_ptr<const HttpResponse> response, std::string body, ErrorPtr error) {
            ImagePtr image;
            if (!error) image = serializer.responseObjectForResponse(response.get(), body, &error);
            mainQueue.post([weak, request, success, failure, task, response, image, error] {
                // Cached even when the view has moved on: the picture is as good for the next view.
                if (image)
                    if (auto cache = sharedImageCache()) cache->cacheImage(image, request);
                auto self = weak.lock();
                if (!self || self->imageRequestOperation_ != task) return;
                self->imageRequestOperation_.reset();
                if (image && success)
                    success(request, response, image);
                else if (image)
                    self->setImage(image);
                else if (failure)
                    failure(request, response, error);
            });
        });
}

}  // namespace movra
