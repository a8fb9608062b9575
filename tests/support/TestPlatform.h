// TestPlatform: installs a fresh Platform for one test (virtual time, in-memory stores, recording UI and
// services, scripted network) and removes it again at the end.
#pragma once

#include "Foundation/ManualClock.h"
#include "Foundation/ThreadPoolQueue.h"
#include "Platform/HttpAnalyticsTracker.h"
#include "Platform/HttpPlaybackQualityClient.h"
#include "Platform/Platform.h"
#include "support/MemoryCredentialStore.h"
#include "support/MemoryDefaultsStore.h"
#include "support/RecordingServices.h"
#include "support/RecordingUiHost.h"
#include "support/ScriptedHttpTransport.h"
#include "support/SettableDevice.h"
#include "support/SimulatedMediaEngine.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <optional>
#include <tuple>

namespace movra::test {

class TestPlatform {
  public:
    struct Options {
        /// Real time instead of a ManualClock (tests against a real server with real timeouts).
        bool realClock = false;
        /// Transports come from this factory instead of the scripted transport.
        HttpTransportFactory transportFactory;
        Configuration configuration;
        /// Analytics go to this collector (a real tracker over the shared transport, queued in
        /// configuration.dataDirectory) instead of the recording tracker; `analytics` is then null.
        std::string analyticsCollectorUrl;
        /// Playback-quality events go to this collector (a real client over the shared transport, queued in
        /// configuration.dataDirectory) instead of the recording client; `playbackQuality` is then null.
        std::string playbackQualityCollectorUrl;
        /// The cast library; null: the real one, discovering at configuration.castDiscoveryAddress.
        std::shared_ptr<CastSdk> castSdk;

        /// Real time and the real transport (libcurl) trusting `caFile`, the CA of an emulator on loopback.
        static Options realNetwork(const std::string& caFile, std::string dataDirectory);
    };

    TestPlatform();
    explicit TestPlatform(Options options);
    ~TestPlatform();
    TestPlatform(const TestPlatform&) = delete;
    TestPlatform& operator=(const TestPlatform&) = delete;

    Platform& platform() { return Platform::current(); }
    RunLoop& main() { return Platform::current().mainQueue(); }
    /// Runs the main queue until `predicate` holds (true) or `timeoutSeconds` of real time pass (false).
    bool runUntil(const std::function<bool()>& predicate, double timeoutSeconds = 10);
    /// Advances virtual time (ManualClock only), running due timers.
    void advance(double seconds);
    /// Calls `start` with a completion taking `Args`, runs the main queue until that completion has been called
    /// (on any thread) and gives back what it was called with; a completion that never comes fails the test.
    template <class... Args, class Start>
    std::tuple<std::decay_t<Args>...> await(Start&& start, double timeoutSeconds = 10) {
        struct Called {
            std::mutex mutex;
            std::optional<std::tuple<std::decay_t<Args>...>> with;
        };
        auto called = std::make_shared<Called>();
        start([called](Args... args) {
            std::lock_guard lock(called->mutex);
            called->with.emplace(std::move(args)...);
        });
        auto isCalled = [&] {
            std::lock_guard lock(called->mutex);
            return called->with.has_value();
        };
        // In short slices: a completion on another thread does not wake the main queue.
        for (double waited = 0; !runUntil(isCalled, 0.01) && waited < timeoutSeconds;) waited += 0.01;
        EXPECT_TRUE(isCalled()) << "no completion";
        std::lock_guard lock(called->mutex);
        return called->with.value_or(std::tuple<std::decay_t<Args>...>{});
    }

    std::shared_ptr<ManualClock> manualClock;
    std::shared_ptr<ThreadPoolQueue> globalQueue;
    std::shared_ptr<ScriptedHttpTransport> network;
    std::shared_ptr<MemoryCredentialStore> credentials;
    std::shared_ptr<MemoryDefaultsStore> defaults;
    std::shared_ptr<SettableDevice> device;
    std::shared_ptr<SettableLocale> locale;
    std::shared_ptr<SettableReachability> reachability;
    std::shared_ptr<RecordingUiHost> ui;
    std::shared_ptr<RecordingCrashReporter> crashReporter;
    std::shared_ptr<RecordingAnalyticsTracker> analytics;
    std::shared_ptr<RecordingNowPlaying> nowPlaying;
    std::shared_ptr<HttpAnalyticsTracker> collectorTracker;
    std::shared_ptr<RecordingPlaybackQualityClient> playbackQuality;
    std::shared_ptr<HttpPlaybackQualityClient> qualityCollector;
    std::shared_ptr<SimulatedMediaEngine> media;
};

}  // namespace movra::test
