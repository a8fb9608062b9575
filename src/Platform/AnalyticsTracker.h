// AnalyticsTracker: the usage-analytics library's default tracker. Hits and the tracker's own values are
// parameter maps ("&ec", "&ea", "&cd1", "&uid", ...): hit values override the tracker's.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace movra {

class AnalyticsTracker {
public:
    using Parameters = std::map<std::string, std::string>;
    virtual ~AnalyticsTracker() = default;
    /// Configures the tracker: tracking id, dispatch interval in seconds, uncaught-exception tracking.
    virtual void configure(const std::string& trackingId, double dispatchIntervalSeconds, bool trackUncaughtExceptions) = 0;
    /// Sets a value carried by every later hit unless the hit sets its own; nullopt removes it.
    virtual void set(const std::string& parameter, const std::optional<std::string>& value) = 0;
    virtual void send(const Parameters& hit) = 0;
};

}  // namespace movra
