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
    if (value)
        values_[parameter] = *value;
    else
        values_.erase(parameter);
}

void LoggingAnalyticsTracker::send(const Parameters& hit) {
    Json merged = Json::object();
    {
        std::lock_guard lock(mutex_);
        for (const auto& [key, value] : values_) merged[key] = value;
    }
    for (const auto& [key, value] : hit) merged[key] = value;
    Log::debug("Analytics hit: {}", queryStringFromParameters(merged));
}

}  // namespace movra
