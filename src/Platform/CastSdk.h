// CastSdk: the cast sender library: device scanners and device managers. Channels (CastChannel,
// CastMediaControlChannel) are plain objects that work with any device manager.
//
// Thread contract: main queue. Everything it makes reports on the main queue.
#pragma once

#include "Platform/CastDevice.h"
#include "Platform/CastDeviceManager.h"
#include "Platform/CastDeviceScanner.h"

#include <cstdint>
#include <memory>
#include <string>

namespace movra {

/// Domain of the cast layer's errors.
inline constexpr const char* kCastErrorDomain = "com.google.GCKError";

enum CastErrorCode : std::int64_t {
    /// The connection to the receiver failed or was lost.
    kCastErrorNetworkError = 1,
    /// The receiver stopped answering.
    kCastErrorTimeout = 2,
    /// The receiver broke the protocol (a malformed frame, message or JSON).
    kCastErrorProtocolError = 3,
    /// The receiver refused a request as invalid.
    kCastErrorInvalidRequest = 4,
    /// The receiver does not know the application.
    kCastErrorApplicationNotFound = 7,
    /// The receiver could not load the media.
    kCastErrorMediaLoadFailed = 13,
    /// The application (or its session) is not running on the receiver.
    kCastErrorApplicationNotRunning = 21,
};

class CastSdk {
  public:
    virtual ~CastSdk() = default;

    virtual std::unique_ptr<CastDeviceScanner> makeDeviceScanner(CastDeviceScanner::FilterCriteria criteria) = 0;
    /// `clientPackageName` names the sending application to the receiver.
    virtual std::unique_ptr<CastDeviceManager> makeDeviceManager(const CastDevice& device,
                                                                 const std::string& clientPackageName) = 0;
};

}  // namespace movra
