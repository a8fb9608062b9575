// Optional observer of service-wide failures (geo-blocking, maintenance) seen by the API client.
//
// Thread contract: called on the main queue.
#pragma once

#include "Foundation/Error.h"

namespace movra {

class MVHTTPClientGlobalErrorHandler {
  public:
    virtual ~MVHTTPClientGlobalErrorHandler() = default;
    virtual void globalNetworkErrorOccurred(const ErrorPtr& /*error*/) {}
};

}  // namespace movra
