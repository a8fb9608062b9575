// Platform: the one context object of a process (or of a test). It owns the main queue, the background
// queues, the notification centre and every platform service, and it is the registry of the client's
// singletons (the dependency injector: an object per class). Tests install a fresh Platform and tear it
// down, so no state leaks between them.
//
// Thread contract: install(), shutdown() and uninstall() on the main thread, after the main run loop has
// returned; the accessors may be called from any thread while a platform is installed and not shutting
// down. Work on other threads must not look the platform up when it finishes: it captures what it needs
// when it starts (mainQueue().handle() for its completion), so that it finds the queue closed, not a
// dangling platform, once shutdown has begun.
//
// Shutdown goes in this order:
//   1. the main queue closes: what waits there is destroyed without running, later posts are dropped;
//   2. every transport the platform made (shared and makeTransport()) cancels its requests (their
//      completions run with -999 and find the main queue closed) and joins its thread;
//   3. the global queue finishes its running tasks, drops the rest and joins its threads; the analytics
//      tracker and the playback-quality client write what they must keep;
//   4. the singletons are destroyed, while Platform::current() still answers; then the services and the
//      main queue; then no platform is installed.
// From step 1 on, completions are dropped and new requests are never answered.
#pragma once

#include "Foundation/Clock.h"
#include "Foundation/DispatchQueue.h"
#include "Foundation/NotificationCenter.h"
#include "Foundation/RunLoop.h"
#include "Platform/AnalyticsTracker.h"
#include "Platform/CastSdk.h"
#include "Platform/Configuration.h"
#include "Platform/CrashReporter.h"
#include "Platform/CredentialStore.h"
#include "Platform/DefaultsStore.h"
#include "Platform/DeviceInfo.h"
#include "Platform/HttpTransport.h"
#include "Platform/ImageCodec.h"
#include "Platform/Locale.h"
#include "Platform/MediaEngine.h"
#include "Platform/NowPlaying.h"
#include "Platform/PlaybackQualityClient.h"
#include "Platform/Reachability.h"
#include "Platform/UiHost.h"

#include <memory>
#include <mutex>
#include <string>
#include <typeindex>
#include <unordered_map>
#include <vector>

namespace movra {

class Platform {
  public:
    /// Every service; the builder of a platform fills all of them.
    struct Services {
        std::shared_ptr<Clock> clock;
        std::shared_ptr<DispatchQueue> globalQueue;
        std::shared_ptr<HttpTransport> sharedTransport;
        HttpTransportFactory transportFactory;
        std::shared_ptr<CredentialStore> credentials;
        std::shared_ptr<DefaultsStore> defaults;
        std::shared_ptr<DeviceInfo> device;
        std::shared_ptr<Locale> locale;
        std::shared_ptr<Reachability> reachability;
        std::shared_ptr<UiHost> uiHost;
        std::shared_ptr<CrashReporter> crashReporter;
        std::shared_ptr<AnalyticsTracker> analytics;
        std::shared_ptr<PlaybackQualityClient> playbackQuality;
        std::shared_ptr<NowPlaying> nowPlaying;
        std::shared_ptr<ImageCodec> imageCodec;
        std::shared_ptr<MediaEngine> mediaEngine;
        std::shared_ptr<CastSdk> castSdk;
        Configuration configuration;
    };

    explicit Platform(Services services);
    ~Platform();

    static Platform& current();
    static bool isInstalled();
    /// Installs `platform` (shutting down the one installed before) and registers its main queue as the
    /// process's main run loop.
    static void install(std::shared_ptr<Platform> platform);
    /// Shuts the installed platform down in the order of the thread contract and uninstalls it. Idempotent:
    /// without a platform, or called again during the shutdown (from a singleton's destructor), it does
    /// nothing.
    static void shutdown();
    /// The same as shutdown().
    static void uninstall();

    RunLoop& mainQueue() { return *mainQueue_; }
    DispatchQueue& globalQueue() { return *services_.globalQueue; }
    Clock& clock() { return *services_.clock; }
    NotificationCenter& notificationCenter() { return notifications_; }
    /// The shared session (image downloads).
    HttpTransport& sharedTransport() { return *services_.sharedTransport; }
    /// A new session of its own (each API client makes one); the platform shuts it down with itself.
    std::shared_ptr<HttpTransport> makeTransport();
    CredentialStore& credentials() { return *services_.credentials; }
    DefaultsStore& defaults() { return *services_.defaults; }
    DeviceInfo& device() { return *services_.device; }
    Locale& locale() { return *services_.locale; }
    Reachability& reachability() { return *services_.reachability; }
    UiHost& uiHost() { return *services_.uiHost; }
    CrashReporter& crashReporter() { return *services_.crashReporter; }
    AnalyticsTracker& analytics() { return *services_.analytics; }
    PlaybackQualityClient& playbackQuality() { return *services_.playbackQuality; }
    NowPlaying& nowPlaying() { return *services_.nowPlaying; }
    ImageCodec& imageCodec() { return *services_.imageCodec; }
    MediaEngine& mediaEngine() { return *services_.mediaEngine; }
    CastSdk& castSdk() { return *services_.castSdk; }
    const Configuration& configuration() const { return services_.configuration; }
    Configuration& mutableConfiguration() { return services_.configuration; }

    /// The registered object of class T, or nullptr.
    template <class T>
    std::shared_ptr<T> object() const {
        std::lock_guard lock(registryMutex_);
        auto it = registry_.find(std::type_index(typeid(T)));
        return it == registry_.end() ? nullptr : std::static_pointer_cast<T>(it->second);
    }
    /// The registered object of class T, made (default-constructed) and registered on first use.
    template <class T>
    std::shared_ptr<T> sharedObject() {
        std::lock_guard lock(registryMutex_);
        auto& slot = registry_[std::type_index(typeid(T))];
        if (!slot) slot = std::make_shared<T>();
        return std::static_pointer_cast<T>(slot);
    }
    /// Registers (or with nullptr removes) the object of class T.
    template <class T>
    void setObject(std::shared_ptr<T> object) {
        std::shared_ptr<void> old;
        {
            std::lock_guard lock(registryMutex_);
            auto key = std::type_index(typeid(T));
            if (auto it = registry_.find(key); it != registry_.end()) old = std::move(it->second);
            if (object)
                registry_[key] = std::move(object);
            else
                registry_.erase(key);
        }
        // `old` is released here, outside the lock: its destructor may use the registry.
    }

  private:
    /// Steps 1 to 4 of the shutdown, up to the uninstalling.
    void tearDown();

    Services services_;
    std::unique_ptr<RunLoop> mainQueue_;
    std::mutex shutdownMutex_;
    bool shuttingDown_ = false;                             // guarded by shutdownMutex_
    std::vector<std::weak_ptr<HttpTransport>> transports_;  // guarded by shutdownMutex_
    NotificationCenter notifications_;
    mutable std::mutex registryMutex_;
    std::unordered_map<std::type_index, std::shared_ptr<void>> registry_;
};

}  // namespace movra
