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
    virtual void configure(const std::string& trackingId, double dispatchIntervalSeconds,
                           bool trackUncaughtExceptions) = 0;
    /// Sets a value carried by every later hit unless the hit sets its own; nullopt removes it.
    virtual void set(const std::string& parameter, const std::optional<std::string>& value) = 0;
    virtual void send(const Parameters& hit) = 0;
    /// Sends the queued hits now instead of at the next periodic dispatch.
    virtual void dispatch() = 0;
    /// For a process about to exit: sends every queued hit and blocks the caller until the collector has
    /// taken them all (true), a send failed or `timeoutSeconds` passed (false). Needs no run loop.
    virtual bool flush(double timeoutSeconds) = 0;
    /// For the platform's shutdown, once transports and queues have stopped: keeps on disk what must
    /// survive the process. Nothing is sent afterwards.
    virtual void shutdown() {}

    /// set()'s rule on a map of values: a value replaces, nullopt removes.
    static void setParameter(Parameters& values, const std::string& parameter,
                             const std::optional<std::string>& value) {
        if (value)
            values[parameter] = *value;
        else
            values.erase(parameter);
    }
    /// The values a hit goes out with: the tracker's, overridden by the hit's own.
    static Parameters merged(Parameters trackerValues, const Parameters& hit) {
        for (const auto& [key, value] : hit) trackerValues[key] = value;
        return trackerValues;
    }
};

}  // namespace movra
