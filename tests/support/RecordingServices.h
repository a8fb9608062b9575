// Doubles of the crash reporter (recording the names of non-fatal reports) and of the analytics tracker
// (recording).
#pragma once

#include "Platform/AnalyticsTracker.h"
#include "Platform/CrashReporter.h"

#include <mutex>
#include <vector>

namespace movra::test {

class RecordingCrashReporter final : public CrashReporter {
  public:
    void start(const std::string&) override {}
    void notifyNonFatal(const std::string& name, const std::string&, const Json&) override {
        std::lock_guard lock(mutex);
        nonFatalNames.push_back(name);
    }
    std::mutex mutex;
    std::vector<std::string> nonFatalNames;
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

}  // namespace movra::test
