#include "Platform/CastDeviceManager.h"

#include "Platform/CastChannel.h"

namespace movra {

bool CastDeviceManager::addChannel(CastChannel& channel) {
    auto [it, added] = channels_.emplace(channel.protocolNamespace(), &channel);
    if (!added) return false;
    channel.setDeviceManager(this);
    return true;
}

bool CastDeviceManager::removeChannel(CastChannel& channel) {
    auto it = channels_.find(channel.protocolNamespace());
    if (it == channels_.end() || it->second != &channel) return false;
    channels_.erase(it);
    channel.setDeviceManager(nullptr);
    return true;
}

CastChannel* CastDeviceManager::channelFor(const std::string& nameSpace) const {
    auto it = channels_.find(nameSpace);
    return it == channels_.end() ? nullptr : it->second;
}

void CastDeviceManager::detachChannels() {
    for (auto& [nameSpace, channel] : channels_) channel->setDeviceManager(nullptr);
    channels_.clear();
}

}  // namespace movra
