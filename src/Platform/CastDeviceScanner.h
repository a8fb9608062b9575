// CastDeviceScanner: finds cast receivers on which a given receiver application is available.
//
// Thread contract: used on the main queue; listeners are called there. Listeners are not owned and must be
// removed before they are destroyed.
#pragma once

#include "Platform/CastDevice.h"
#include "Platform/CastDeviceScannerListener.h"

#include <string>
#include <vector>

namespace movra {

class CastDeviceScanner {
  public:
    /// Which receivers a scanner reports.
    struct FilterCriteria {
        /// Receivers where this application is available; empty: every receiver.
        std::string applicationId;

        static FilterCriteria forAvailableApplication(std::string applicationId) {
            return FilterCriteria{std::move(applicationId)};
        }
    };

    virtual ~CastDeviceScanner() = default;

    virtual void addListener(CastDeviceScannerListener* listener) = 0;
    virtual void removeListener(CastDeviceScannerListener* listener) = 0;
    virtual void startScan() = 0;
    /// Stops looking; the devices found stay listed.
    virtual void stopScan() = 0;
    virtual bool isScanning() const = 0;
    /// The receivers online that match the filter, in the order they were found.
    virtual std::vector<CastDevice> devices() const = 0;
};

}  // namespace movra
