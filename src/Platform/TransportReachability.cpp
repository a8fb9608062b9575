#include "Platform/TransportReachability.h"

namespace movra {

void TransportReachability::noteTransportOutcome(bool reachedServer, bool notConnected) {
    if (reachedServer)
        reachable_ = true;
    else if (notConnected)
        reachable_ = false;
}

}  // namespace movra
