// Reachability: whether the network can be reached at the moment.
//
// Thread contract: every member may be called from any thread.
#pragma once

namespace movra {

class Reachability {
  public:
    virtual ~Reachability() = default;
    virtual bool isReachable() const = 0;
    /// Transports report their outcome: a completed exchange proves reachability, "not connected" disproves it.
    virtual void noteTransportOutcome(bool /*reachedServer*/, bool /*notConnected*/) {}
};

}  // namespace movra
