// MVImageDownloadItem: one carousel prefetch: the picture request, the object its notification names, and
// the download once it runs.
//
// Thread contract: owned by MVImageDownloadHelper, on the main queue.
#pragma once

#include "Platform/HttpTask.h"
#include "Utilities/ImageRequest.h"

namespace movra {

struct MVImageDownloadItem {
    ImageRequest request;
    const void* object = nullptr;
    /// Null while the item waits in the queue.
    HttpTaskPtr imageRequestOperation;
};

}  // namespace movra
