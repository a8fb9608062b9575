#include "Utilities/MVImageDownloadHelper.h"

#include "Foundation/Log.h"
#include "Platform/Platform.h"
#include "Utilities/AFImageResponseSerializer.h"
#include "Utilities/MVDiskImageCache.h"
#include "Utilities/MVImageView.h"

namespace movra {

MVImageDownloadHelper::~MVImageDownloadHelper() { cancelAllOperations(); }

void MVImageDownloadHelper::requestImage(const ImageRequest& request, const void* object) {
    auto cache = MVImageView::sharedImageCache();
    if (cache && cache->cachedImageForRequest(request)) return;
    imageRequestOperationQueue_.push_back(
        std::make_shared<MVImageDownloadItem>(MVImageDownloadItem{request, object, nullptr}));
    if (!running_) startNext();
}

void MVImageDownloadHelper::cancelAllOperations() {
    imageRequestOperationQueue_.clear();
    if (running_ && running_->imageRequestOperation) running_->imageRequestOperation->cancel();
    running_.reset();
}

void MVImageDownloadHelper::startNext() {
    if (imageRequestOperationQueue_.empty()) return;
    auto item = imageRequestOperationQueue_.front();
    imageRequestOperationQueue_.pop_front();
    running_ = item;
    std::weak_ptr<MVImageDownloadHelper> weak = weak_from_this();
    item->imageRequestOperation = Platform::current().sharedTransport().dataTask(
        item->request.httpRequest(), [weak, item](const HttpTaskPtr&, std::shared_ptr<const HttpResponse> response,
                                                  std::string body, ErrorPtr error) {
            // A valid picture answer whose bytes do not decode is a success without a picture, not a failure.
            const bool answered = !error && response && response->statusCode >= 200 && response->statusCode <= 299 &&
                                  AFImageResponseSerializer::isAcceptableContentType(response->mimeType());
            ImagePtr image;
            if (!error) image = AFImageResponseSerializer().responseObjectForResponse(response.get(), body, &error);
            Platform::current().mainQueue().post([weak, item, image, error, answered] {
                if (auto self = weak.lock()) self->finish(item, image, error, answered);
            });
        });
}

void MVImageDownloadHelper::finish(const std::shared_ptr<MVImageDownloadItem>& item, ImagePtr image, ErrorPtr error,
                                   bool answered) {
    // A cancelled item is no longer the running one; a newer download may be.
    if (running_ == item) running_.reset();
    const auto url = item->request.url.absoluteString();
    Notification notification;
    notification.name = kCarouselImageDownloadedNotification;
    notification.sender = item->object;
    if (image) {
        if (auto cache = MVImageView::sharedImageCache()) cache->cacheImage(image, item->request);
        notification.userInfo = Json{{"url", url}};
        notification.objects["image"] = image;
        Platform::current().notificationCenter().post(notification);
    } else if (answered) {
        Log::error("Incorrect carousel thumbnail at {}", url);
    } else {
        Log::debug("Carousel picture {} failed: {}", url, error ? error->summary() : "");
        notification.objects["error"] = makeError(kFailedToDownloadErrorDomain, /*code=*/0);
        Platform::current().notificationCenter().post(notification);
    }
    if (!running_) startNext();
}

}  // namespace movra
