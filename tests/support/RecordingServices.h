// Doubles of the crash reporter and the playback-quality client that do nothing, and an analytics tracker that
// records.
#pragma once

#include <mutex>
#include <vector>

#include "Platform/AnalyticsTracker.h"
#include "Platform/CrashReporter.h"
#include "Platform/PlaybackQualityClient.h"

namespace movra::test {

class SilentCrashReporter final : public CrashReporter {
public:
    void start(const std::string&) override {}
    void notifyNonFatal(const std::string&, const std::string&, const Json&) override {}
};

class RecordingAnalyticsTracker final : public AnalyticsTracker {
public:
    void configure(const std::string&, double, bool) override {}
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
    Parameters trackerValues;
    std::vector<Parameters> hits;
};

class SilentPlaybackQualityClient final : public PlaybackQualityClient {
public:
    void start(const std::string&) override {}
};

}  // namespace movra::test
