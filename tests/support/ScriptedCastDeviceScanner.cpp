#include "support/ScriptedCastDeviceScanner.h"

#include "Platform/Platform.h"
#include "support/ScriptedCastSdk.h"

#include <algorithm>

namespace movra::test {

ScriptedCastDeviceScanner::ScriptedCastDeviceScanner(std::shared_ptr<ScriptedCastSdk> sdk, FilterCriteria criteria)
    : sdk_(std::move(sdk)), criteria_(std::move(criteria)) {
    sdk_->add(*this);
}

ScriptedCastDeviceScanner::~ScriptedCastDeviceScanner() { sdk_->remove(*this); }

void ScriptedCastDeviceScanner::later(std::function<void()> task) {
    Platform::current().mainQueue().post([alive = std::weak_ptr<int>(alive_), task = std::move(task)] {
        if (alive.lock()) task();
    });
}

void ScriptedCastDeviceScanner::addListener(CastDeviceScannerListener* listener) {
    if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end()) listeners_.push_back(listener);
}

void ScriptedCastDeviceScanner::removeListener(CastDeviceScannerListener* listener) {
    std::erase(listeners_, listener);
}

void ScriptedCastDeviceScanner::startScan() {
    if (scanning_) return;
    scanning_ = true;
    for (const auto& receiver : sdk_->receivers()) deviceCameOnline(receiver->device());
}

void ScriptedCastDeviceScanner::deviceCameOnline(const CastDevice& device) {
    if (!scanning_) return;
    later([this, device] {
        CastDevice found = device;
        const auto receiver = sdk_->receiver(device.deviceID);
        found.applicationAvailable = receiver && receiver->isAvailable(criteria_.applicationId);
        if (criteria_.requireAvailable && !found.applicationAvailable) return;
        const bool known = std::any_of(devices_.begin(), devices_.end(),
                                       [&](const CastDevice& d) { return d.deviceID == found.deviceID; });
        if (known) return;
        devices_.push_back(found);
        for (auto* listener : std::vector(listeners_)) listener->deviceDidComeOnline(found);
    });
}

void ScriptedCastDeviceScanner::deviceWentOffline(const CastDevice& device) {
    later([this, device] {
        auto it = std::find_if(devices_.begin(), devices_.end(),
                               [&](const CastDevice& d) { return d.deviceID == device.deviceID; });
        if (it == devices_.end()) return;
        const CastDevice gone = *it;
        devices_.erase(it);
        for (auto* listener : std::vector(listeners_)) listener->deviceDidGoOffline(gone);
    });
}

}  // namespace movra::test
