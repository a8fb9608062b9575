#include "Utilities/SecurityManager.h"

#include "Platform/Platform.h"

namespace movra {

bool SecurityManager::isUserAuthenticated() {
    return Platform::current().credentials().password(kPasswordServiceName, kDeviceTokenAccountName).has_value();
}

void SecurityManager::logOutUser() {
    Platform::current().credentials().deletePassword(kPasswordServiceName, kDeviceTokenAccountName);
}

}  // namespace movra
