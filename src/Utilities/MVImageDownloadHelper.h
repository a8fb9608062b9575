// MVImageDownloadHelper: prefetches carousel pictures into the image views' shared cache, one download at
// a time, and announces each result with "CarouselImageDownloaded": object = the object given with the
// request, user info {"url": the URL's absolute string} with the picture as object "image", or the error
// (domain "Failed to download", code 0) as object "error".
//
// Thread contract: main queue only; notifications are posted on the main queue. Own the helper through
// std::shared_ptr: downloads report back only to a helper that is still alive, and destroying it cancels
// the running one.
#pragma once

#include "Foundation/Error.h"
#include "Platform/Image.h"
#include "Utilities/ImageRequest.h"
#include "Utilities/MVImageDownloadItem.h"

#include <deque>
#include <memory>

namespace movra {

inline constexpr const char* kCarouselImageDownloadedNotification = "CarouselImageDownloaded";
inline constexpr const char* kFailedToDownloadErrorDomain = "Failed to download";

class MVImageDownloadHelper : public std::enable_shared_from_this<MVImageDownloadHelper> {
  public:
    MVImageDownloadHelper() = default;
    ~MVImageDownloadHelper();
    MVImageDownloadHelper(const MVImageDownloadHelper&) = delete;
    MVImageDownloadHelper& operator=(const MVImageDownloadHelper&) = delete;

    /// Queues a download of `request` unless the shared cache already holds its picture (then nothing is
    /// posted). An answer that is no picture is logged and posts nothing.
    void requestImage(const ImageRequest& request, const void* object);
    /// Drops the queued downloads silently and cancels the running one, whose cancellation failure is
    /// announced like any other.
    void cancelAllOperations();
    /// Downloads queued or running.
    std::size_t operationCount() const { return imageRequestOperationQueue_.size() + (running_ ? 1 : 0); }

  private:
    void startNext();
    /// `answered`: the answer passed validation, so a missing picture means its bytes are no picture.
    void finish(const std::shared_ptr<MVImageDownloadItem>& item, ImagePtr image, ErrorPtr error, bool answered);

    std::deque<std::shared_ptr<MVImageDownloadItem>> imageRequestOperationQueue_;
    std::shared_ptr<MVImageDownloadItem> running_;
};

}  // namespace movra
