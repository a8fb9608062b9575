// MVDRMErrorHandler: told when a content key could not be fetched, so that playback can fail visibly.
//
// Thread contract: drmErrorOccurred() is called on the "DRM Queue"; the receiver moves to its own queue.
#pragma once

#include "Foundation/Error.h"

namespace movra {

class MVDRMErrorHandler {
  public:
    virtual ~MVDRMErrorHandler() = default;
    virtual void drmErrorOccurred(const ErrorPtr& error) = 0;
};

}  // namespace movra
