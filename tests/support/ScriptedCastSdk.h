// ScriptedCastSdk: the CastSdk test double: an in-process network of scripted receivers (ScriptedCastReceiver)
// that come online and go offline as a test says, with scanners and device managers that speak to them and
// report as the real library does (later, on the main queue).
//
// Thread contract: main queue. Make it with std::make_shared: its scanners hold it.
#pragma once

#include "Platform/CastSdk.h"
#include "support/ScriptedCastReceiver.h"

#include <memory>
#include <string>
#include <vector>

namespace movra::test {

class ScriptedCastDeviceScanner;

class ScriptedCastSdk final : public CastSdk, public std::enable_shared_from_this<ScriptedCastSdk> {
  public:
    /// A receiver comes online with `applications` launchable on it; scanners that scan are told.
    std::shared_ptr<ScriptedCastReceiver> addReceiver(CastDevice device, std::vector<std::string> applications);
    /// The receiver goes offline: scanners are told and its connections are lost.
    void removeReceiver(const std::string& deviceID);
    /// The receivers online, in the order they came.
    const std::vector<std::shared_ptr<ScriptedCastReceiver>>& receivers() const { return receivers_; }
    std::shared_ptr<ScriptedCastReceiver> receiver(const std::string& deviceID) const;

    std::unique_ptr<CastDeviceScanner> makeDeviceScanner(CastDeviceScanner::FilterCriteria criteria) override;
    std::unique_ptr<CastDeviceManager> makeDeviceManager(const CastDevice& device,
                                                         const std::string& clientPackageName) override;

    // ---- for ScriptedCastDeviceScanner ----
    void add(ScriptedCastDeviceScanner& scanner) { scanners_.push_back(&scanner); }
    void remove(ScriptedCastDeviceScanner& scanner) { std::erase(scanners_, &scanner); }

  private:
    std::vector<std::shared_ptr<ScriptedCastReceiver>> receivers_;
    std::vector<ScriptedCastDeviceScanner*> scanners_;
};

}  // namespace movra::test
