#include "App/SecurityManager.h"

#include "Platform/Platform.h"

namespace movra {

bool SecurityManager::isUserAuthenticated() {
    return Platform::current().credentials().password(kPasswordServiceName, kDeviceTokenAccountName).has_value();
}

void SecurityManager::logOutUser() {
    Platform::current().credentials().deletePassword(kPasswordServiceName, kDeviceTokenAccountName);
}

void SecurityManager::clearAuthenticationIfNewInstall() {
    auto& defaults = Platform::current().defaults();
    auto value = defaults.object("CurrentInstall");
    if (value && !value->is_null()) return;
    logOutUser();
    defaults.setObject("CurrentInstall", "YES");
    defaults.synchronize();
}

}  // namespace movra
