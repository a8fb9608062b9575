#include "Platform/LoggingAnalyticsTracker.h"

#include "Foundation/Log.h"
#include "Foundation/Url.h"

namespace movra {

void LoggingAnalyticsTracker::configure(const std::string& trackingId, double dispatchIntervalSeconds,
                                        bool trackUncaughtExceptions) {
    std::lock_guard lock(mutex_);
    values_["&tid"] = trackingId;
    Log::debug("Analytics tracker {} (dispatch every {} s, uncaught exceptions {})", trackingId,
               dispatchIntervalSeconds, trackUncaughtExceptions ? "tracked" : "not tracked");
}

void LoggingAnalyticsTracker::set(const std::string& parameter, const std::optional<std::string>& value) {
    std::lock_guard lock(mutex_);
    setParameter(values_, parameter, value);
}

void LoggingAnalyticsTracker::send(const Parameters& hit) {
    std::unique_lock lock(mutex_);
    const Json parameters = merged(values_, hit);
    lock.unlock();
    Log::debug("Analytics hit: {}", queryStringFromParameters(parameters));
}

}  // namespace movra
