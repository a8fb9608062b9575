// TransportReachability: reachability as the transports last saw it. It starts reachable (the first
// request finds out), a completed exchange makes it reachable, a "not connected" failure unreachable;
// other failures (time-outs, refused connections) say nothing about the network and change nothing.
//
// Thread contract: every member may be called from any thread.
#pragma once

#include "Platform/Reachability.h"

#include <atomic>

namespace movra {

class TransportReachability final : public Reachability {
  public:
    bool isReachable() const override { return reachable_.load(); }
    void noteTransportOutcome(bool reachedServer, bool notConnected) override;

  private:
    std::atomic<bool> reachable_{true};
};

}  // namespace movra
