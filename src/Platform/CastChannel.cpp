#include "Platform/CastChannel.h"

#include "Platform/CastDeviceManager.h"

namespace movra {

bool CastChannel::isConnected() const {
    return deviceManager_ && deviceManager_->applicationConnectionState() == CastConnectionState::Connected;
}

bool CastChannel::sendTextMessage(const std::string& text) {
    return isConnected() && deviceManager_->sendTextMessage(nameSpace_, text);
}

}  // namespace movra
