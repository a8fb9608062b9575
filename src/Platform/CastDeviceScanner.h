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
        /// The application each receiver is asked about (CastDevice::applicationAvailable); empty: none.
        std::string applicationId;
        /// Only receivers where the application is available are reported.
        bool requireAvailable = false;

        /// Receivers where `applicationId` is available.
        static FilterCriteria forAvailableApplication(std::string applicationId) {
            return FilterCriteria{std::move(applicationId), /*requireAvailable=*/true};
        }
        /// Every receiver, each with whether `applicationId` is available there.
        static FilterCriteria reportingApplication(std::string applicationId) {
            return FilterCriteria{std::move(applicationId), /*requireAvailable=*/false};
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
