// Reachability: whether the network can be reached at the moment. A change is announced with
// kReachabilityDidChangeNotification on the main queue, its status under kReachabilityStatusKey.
//
// Thread contract: every member may be called from any thread.
#pragma once

namespace movra {

/// The HTTP layer's reachability-change notification.
inline constexpr const char* kReachabilityDidChangeNotification = "com.alamofire.networking.reachability.change";
inline constexpr const char* kReachabilityStatusKey = "AFNetworkingReachabilityNotificationStatusItem";

/// Reachability statuses as the notification carries them.
enum ReachabilityStatus : int {
    ReachabilityStatusUnknown = -1,
    ReachabilityStatusNotReachable = 0,
    ReachabilityStatusReachableViaWWAN = 1,
    ReachabilityStatusReachableViaWiFi = 2,
};

class Reachability {
  public:
    virtual ~Reachability() = default;
    virtual bool isReachable() const = 0;
    /// Transports report their outcome: a completed exchange proves reachability, "not connected" disproves it.
    virtual void noteTransportOutcome(bool /*reachedServer*/, bool /*notConnected*/) {}

  protected:
    /// Announces the new state on the main queue of the installed platform.
    static void announce(bool reachable);
};

}  // namespace movra
