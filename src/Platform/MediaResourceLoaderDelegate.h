// MediaResourceLoaderDelegate: told of each key URI of a custom scheme the engine meets, on the serial queue
// it was installed with.
#pragma once

#include "Platform/MediaLoadingRequest.h"

#include <memory>

namespace movra {

class MediaResourceLoaderDelegate {
  public:
    virtual ~MediaResourceLoaderDelegate() = default;
    /// True when the delegate has taken the request on (and will answer it); false leaves it unanswered and
    /// the item fails.
    virtual bool shouldWaitForLoadingOfRequestedResource(const std::shared_ptr<MediaLoadingRequest>& request) = 0;
};

}  // namespace movra
