#include "Platform/CastV2Sdk.h"

#include "Platform/CastV2DeviceManager.h"

namespace movra {

std::unique_ptr<CastDeviceManager> CastV2Sdk::makeDeviceManager(const CastDevice& device,
                                                                const std::string& clientPackageName) {
    return std::make_unique<CastV2DeviceManager>(device, clientPackageName);
}

}  // namespace movra
