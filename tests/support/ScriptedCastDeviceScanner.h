// ScriptedCastDeviceScanner: the device scanner of the CastSdk test double. It reports the receivers its
// ScriptedCastSdk has online that match its filter, and their coming and going while it scans, each later on
// the main queue.
//
// Thread contract: main queue.
#pragma once

#include "Platform/CastDeviceScanner.h"

#include <functional>
#include <memory>
#include <vector>

namespace movra::test {

class ScriptedCastSdk;

class ScriptedCastDeviceScanner final : public CastDeviceScanner {
  public:
    ScriptedCastDeviceScanner(std::shared_ptr<ScriptedCastSdk> sdk, FilterCriteria criteria);
    ~ScriptedCastDeviceScanner() override;

    void addListener(CastDeviceScannerListener* listener) override;
    void removeListener(CastDeviceScannerListener* listener) override;
    void startScan() override;
    void stopScan() override { scanning_ = false; }
    bool isScanning() const override { return scanning_; }
    std::vector<CastDevice> devices() const override { return devices_; }

    // ---- from the SDK ----
    void deviceCameOnline(const CastDevice& device);
    void deviceWentOffline(const CastDevice& device);

  private:
    void later(std::function<void()> task);

    std::shared_ptr<ScriptedCastSdk> sdk_;
    FilterCriteria criteria_;
    std::vector<CastDeviceScannerListener*> listeners_;
    std::vector<CastDevice> devices_;
    bool scanning_ = false;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace movra::test
