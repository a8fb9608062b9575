// Recording doubles of the crash reporter, the analytics tracker and the playback-quality client.
#pragma once

#include <mutex>
#include <vector>

#include "Platform/AnalyticsTracker.h"
#include "Platform/CrashReporter.h"
#include "Platform/PlaybackQualityClient.h"

namespace movra::test {

class RecordingCrashReporter final : public CrashReporter {
public:
    void start(const std::string& apiKey) override { startedWith = apiKey; }
    void notifyNonFatal(const std::string& name, const std::string& reason, const Json& metadata) override {
        nonFatals.push_back({name, reason});
    }
    std::string startedWith;
    std::vector<std::pair<std::string, std::string>> nonFatals;
};

class RecordingAnalyticsTracker final : public AnalyticsTracker {
public:
    void configure(const std::string& id, double interval, bool uncaught) override {
        trackingId = id;
        dispatchInterval = interval;
        trackUncaughtExceptions = uncaught;
    }
    void set(const std::string& parameter, const std::optional<std::string>& value) override {
        std::lock_guard lock(mutex);
        setParameter(trackerValues, parameter, value);
    }
    void send(const Parameters& hit) override {
        std::lock_guard lock(mutex);
        hits.push_back(hit);
    }
    void dispatch() override {}
    bool flush(double /*timeoutSeconds*/) override { return true; }
    std::mutex mutex;
    std::string trackingId;
    double dispatchInterval = 0;
    bool trackUncaughtExceptions = false;
    Parameters trackerValues;
    std::vector<Parameters> hits;
};

class RecordingPlaybackQualityClient final : public PlaybackQualityClient {
public:
    void start(const std::string& customerKey) override { startedWith = customerKey; }
    std::string startedWith;
};

}  // namespace movra::test
