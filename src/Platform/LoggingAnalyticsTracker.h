// LoggingAnalyticsTracker: the analytics tracker used when no collector is configured: every hit, merged
// with the tracker's own values, goes to the log at debug level.
//
// Thread contract: every member may be called from any thread.
#pragma once

#include "Platform/AnalyticsTracker.h"

#include <mutex>

namespace movra {

class LoggingAnalyticsTracker final : public AnalyticsTracker {
  public:
    void configure(const std::string& trackingId, double dispatchIntervalSeconds,
                   bool trackUncaughtExceptions) override;
    void set(const std::string& parameter, const std::optional<std::string>& value) override;
    void send(const Parameters& hit) override;
    /// Hits are logged as they are sent: nothing ever waits.
    void dispatch() override {}
    bool flush(double /*timeoutSeconds*/) override { return true; }

  private:
    std::mutex mutex_;
    Parameters values_;
};

}  // namespace movra
