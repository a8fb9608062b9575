#include "Platform/TransportReachability.h"

namespace movra {

void TransportReachability::noteTransportOutcome(bool reachedServer, bool notConnected) {
    if (!reachedServer && !notConnected) return;
    if (reachable_.exchange(reachedServer) != reachedServer) announce(reachedServer);
}

}  // namespace movra
