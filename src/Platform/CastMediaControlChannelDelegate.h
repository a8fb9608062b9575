// CastMediaControlChannelDelegate: what the media control channel reports. Every method has an empty default.
//
// Thread contract: called on the main queue.
#pragma once

#include "Foundation/Error.h"

#include <cstdint>

namespace movra {

class CastMediaControlChannel;

class CastMediaControlChannelDelegate {
  public:
    virtual ~CastMediaControlChannelDelegate() = default;

    virtual void mediaControlChannelDidCompleteLoad(CastMediaControlChannel& /*channel*/,
                                                    std::int64_t /*mediaSessionID*/) {}
    virtual void mediaControlChannelDidFailToLoadMedia(CastMediaControlChannel& /*channel*/,
                                                       const ErrorPtr& /*error*/) {}
    virtual void mediaControlChannelDidUpdateStatus(CastMediaControlChannel& /*channel*/) {}
    virtual void mediaControlChannelRequestDidFail(CastMediaControlChannel& /*channel*/, std::int64_t /*requestID*/,
                                                   const ErrorPtr& /*error*/) {}
};

}  // namespace movra
