// CastDeviceScannerListener: told when receivers that match the scanner's filter come and go.
//
// Thread contract: called on the main queue.
#pragma once

#include "Platform/CastDevice.h"

namespace movra {

class CastDeviceScannerListener {
  public:
    virtual ~CastDeviceScannerListener() = default;
    virtual void deviceDidComeOnline(const CastDevice& /*device*/) {}
    virtual void deviceDidGoOffline(const CastDevice& /*device*/) {}
};

}  // namespace movra
