#include "support/ScriptedCastSdk.h"

#include "support/ScriptedCastDeviceManager.h"
#include "support/ScriptedCastDeviceScanner.h"

#include <algorithm>

namespace movra::test {

std::shared_ptr<ScriptedCastReceiver> ScriptedCastSdk::addReceiver(CastDevice device,
                                                                   std::vector<std::string> applications) {
    auto receiver = std::make_shared<ScriptedCastReceiver>(std::move(device), std::move(applications));
    receivers_.push_back(receiver);
    for (auto* scanner : scanners_) scanner->deviceCameOnline(receiver->device());
    return receiver;
}

void ScriptedCastSdk::removeReceiver(const std::string& deviceID) {
    auto it = std::find_if(receivers_.begin(), receivers_.end(),
                           [&](const auto& receiver) { return receiver->device().deviceID == deviceID; });
    if (it == receivers_.end()) return;
    auto receiver = *it;
    receivers_.erase(it);
    // Gone: whoever still holds it cannot connect.
    receiver->setRefusesConnections(true);
    receiver->loseConnections(kCastErrorNetworkError);
    for (auto* scanner : scanners_) scanner->deviceWentOffline(receiver->device());
}

std::shared_ptr<ScriptedCastReceiver> ScriptedCastSdk::receiver(const std::string& deviceID) const {
    for (const auto& receiver : receivers_)
        if (receiver->device().deviceID == deviceID) return receiver;
    return nullptr;
}

std::unique_ptr<CastDeviceScanner> ScriptedCastSdk::makeDeviceScanner(CastDeviceScanner::FilterCriteria criteria) {
    return std::make_unique<ScriptedCastDeviceScanner>(shared_from_this(), std::move(criteria));
}

std::unique_ptr<CastDeviceManager> ScriptedCastSdk::makeDeviceManager(const CastDevice& device,
                                                                      const std::string& /*clientPackageName*/) {
    return std::make_unique<ScriptedCastDeviceManager>(device, receiver(device.deviceID));
}

}  // namespace movra::test
