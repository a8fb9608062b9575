#include "Platform/Platform.h"

#include "Foundation/ThreadPoolQueue.h"

#include <atomic>
#include <cassert>

namespace movra {

namespace {
// Owned and changed on the main thread only; the raw pointer is what other threads read.
std::shared_ptr<Platform> gInstalled;
std::atomic<Platform*> gCurrent{nullptr};
bool gShuttingDown = false;

template <class T>
std::vector<std::shared_ptr<T>> lockAll(const std::vector<std::weak_ptr<T>>& weak) {
    std::vector<std::shared_ptr<T>> strong;
    for (const auto& w : weak)
        if (auto s = w.lock()) strong.push_back(std::move(s));
    return strong;
}
}  // namespace

Platform::Platform(Services services)
    : services_(std::move(services)), mainQueue_(std::make_unique<RunLoop>(services_.clock)) {
    transports_.push_back(services_.sharedTransport);
}

Platform::~Platform() {
    // Singletons go first: they may still reach services while they are destroyed.
    std::unordered_map<std::type_index, std::shared_ptr<void>> registry;
    {
        std::lock_guard lock(registryMutex_);
        registry.swap(registry_);
    }
    registry.clear();
}

Platform& Platform::current() {
    Platform* platform = gCurrent.load();
    assert(platform && "no Platform installed");
    return *platform;
}

bool Platform::isInstalled() { return gCurrent.load() != nullptr; }

void Platform::install(std::shared_ptr<Platform> platform) {
    shutdown();
    RunLoop::setMain(platform ? platform->mainQueue_.get() : nullptr);
    gCurrent.store(platform.get());
    gInstalled = std::move(platform);
}

void Platform::shutdown() {
    // A singleton's destructor may end up here again; the platform must stay current until step 4 is over.
    if (!gInstalled || gShuttingDown) return;
    gShuttingDown = true;
    gInstalled->tearDown();
    gCurrent.store(nullptr);
    auto platform = std::move(gInstalled);
    gShuttingDown = false;
}

void Platform::uninstall() { shutdown(); }

std::shared_ptr<HttpTransport> Platform::makeTransport() {
    auto transport = services_.transportFactory();
    {
        std::lock_guard lock(shutdownMutex_);
        if (!shuttingDown_) {
            std::erase_if(transports_, [](const auto& weak) { return weak.expired(); });
            transports_.push_back(transport);
            return transport;
        }
    }
    transport->shutdown();
    return transport;
}

void Platform::tearDown() {
    std::vector<std::shared_ptr<HttpTransport>> transports;
    {
        std::lock_guard lock(shutdownMutex_);
        if (shuttingDown_) return;
        shuttingDown_ = true;
        transports = lockAll(transports_);
    }
    // 1. From here on nothing reaches the main thread.
    mainQueue_->close();
    // 2. Cancelled completions run now, on the transports' threads, and find the main queue closed.
    for (const auto& transport : transports) transport->shutdown();
    transports.clear();
    // 3. No thread of the platform's runs after this.
    services_.globalQueue->shutdown();
    services_.analytics->shutdown();
    services_.playbackQuality->shutdown();
    // 4. Singletons may still use the services (and Platform::current()) while they are destroyed.
    std::unordered_map<std::type_index, std::shared_ptr<void>> registry;
    {
        std::lock_guard lock(registryMutex_);
        registry.swap(registry_);
    }
    registry.clear();
    {
        // Moved out first: a service's destructor that reaches for another finds it null, not half-destroyed.
        Services released = std::move(services_);
    }
    mainQueue_.reset();
}

}  // namespace movra
