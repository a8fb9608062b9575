// CastV2Sdk: the cast sender library of this machine: DNS-SD discovery and the cast protocol v2 over TLS.
//
// Thread contract: main queue.
#pragma once

#include "Platform/CastSdk.h"
#include "Platform/CastV2DeviceScanner.h"

namespace movra {

class CastV2Sdk final : public CastSdk {
  public:
    explicit CastV2Sdk(CastV2DeviceScanner::Options discovery) : discovery_(std::move(discovery)) {}

    std::unique_ptr<CastDeviceScanner> makeDeviceScanner(CastDeviceScanner::FilterCriteria criteria) override {
        return std::make_unique<CastV2DeviceScanner>(std::move(criteria), discovery_);
    }
    std::unique_ptr<CastDeviceManager> makeDeviceManager(const CastDevice& device,
                                                         const std::string& clientPackageName) override;

  private:
    CastV2DeviceScanner::Options discovery_;
};

}  // namespace movra
