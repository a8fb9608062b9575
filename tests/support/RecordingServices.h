// Doubles of the crash reporter (recording the names of non-fatal reports), of the analytics tracker
// (recording) and of Now Playing (keeping what is shown and the command handler, for tests to send commands).
#pragma once

#include "Platform/AnalyticsTracker.h"
#include "Platform/CrashReporter.h"
#include "Platform/NowPlaying.h"

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

class RecordingNowPlaying final : public NowPlaying {
  public:
    void setNowPlayingInfo(std::optional<NowPlayingInfo> value) override { info = std::move(value); }
    void setCommandHandler(std::function<void(RemoteCommand, double)> value) override { handler = std::move(value); }
    /// What a media key or a desktop shell would send; false when nobody listens.
    bool send(RemoteCommand command, double position = 0) const {
        if (!handler) return false;
        handler(command, position);
        return true;
    }
    std::optional<NowPlayingInfo> info;
    std::function<void(RemoteCommand, double)> handler;
};

}  // namespace movra::test
