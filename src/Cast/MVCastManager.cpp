#include "Cast/MVCastManager.h"

#include "Platform/Platform.h"

namespace movra {

void MVCastManager::startScanning() {
    scanning_ = true;
    if (knownDeviceCount() == 0) Platform::current().notificationCenter().post(MVTKCastNoDevicesAvailable, this);
}

void MVCastManager::stopScanning() { scanning_ = false; }

}  // namespace movra
