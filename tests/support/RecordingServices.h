// Doubles of the crash reporter (recording the names of non-fatal reports), of the analytics tracker
// (recording), of Now Playing (keeping what is shown and the command handler, for tests to send commands)
// and of the playback-quality client (a trace of its calls, and a clean-up that can be made to throw as an
// outside library might).
#pragma once

#include "Platform/AnalyticsTracker.h"
#include "Platform/CrashReporter.h"
#include "Platform/NowPlaying.h"
#include "Platform/PlaybackQualityClient.h"

#include <mutex>
#include <stdexcept>
#include <string>
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

class RecordingPlaybackQualityClient final : public PlaybackQualityClient {
  public:
    void start(const std::string& customerKey) override { calls.push_back("start " + customerKey); }
    SessionKey createSession(const PlaybackQualityContentInfo& content) override {
        contents.push_back(content);
        calls.push_back("create " + std::to_string(++lastKey));
        return lastKey;
    }
    void attachPlayer(SessionKey session, std::shared_ptr<MediaPlayer> player) override {
        players.push_back(std::move(player));
        calls.push_back("attach " + std::to_string(session));
    }
    void reportError(SessionKey session, const std::string& text) override {
        calls.push_back("error " + std::to_string(session) + " " + text);
    }
    void sendEvent(const std::string& name, const Attributes& attributes) override {
        std::string call = "event " + name;
        for (const auto& [key, value] : attributes) call += " " + key + "=" + value;
        calls.push_back(call);
    }
    void cleanupSession(SessionKey session) override {
        calls.push_back("cleanup " + std::to_string(session));
        if (cleanupThrows) throw std::runtime_error("clean-up failed");
    }

    std::vector<std::string> calls;
    std::vector<PlaybackQualityContentInfo> contents;
    std::vector<std::shared_ptr<MediaPlayer>> players;
    SessionKey lastKey = 0;
    bool cleanupThrows = false;
};

}  // namespace movra::test
