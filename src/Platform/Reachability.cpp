#include "Platform/Reachability.h"

#include "Platform/Platform.h"

namespace movra {

void Reachability::announce(bool reachable) {
    if (!Platform::isInstalled()) return;
    auto& platform = Platform::current();
    const int status = reachable ? ReachabilityStatusReachableViaWiFi : ReachabilityStatusNotReachable;
    platform.mainQueue().handle().post([&center = platform.notificationCenter(), status] {
        center.post(kReachabilityDidChangeNotification, nullptr, Json{{kReachabilityStatusKey, status}});
    });
}

}  // namespace movra
