#include "Platform/Platform.h"

#include <cassert>

namespace movra {

namespace {
std::shared_ptr<Platform> gCurrent;
}

Platform::Platform(Services services)
    : services_(std::move(services)), mainQueue_(std::make_unique<RunLoop>(services_.clock)) {}

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
    assert(gCurrent && "no Platform installed");
    return *gCurrent;
}

bool Platform::isInstalled() { return gCurrent != nullptr; }

void Platform::install(std::shared_ptr<Platform> platform) { gCurrent = std::move(platform); }

void Platform::uninstall() {
    if (!gCurrent) return;
    // Keep the platform reachable while its singletons are destroyed, then release it.
    std::unordered_map<std::type_index, std::shared_ptr<void>> registry;
    {
        std::lock_guard lock(gCurrent->registryMutex_);
        registry.swap(gCurrent->registry_);
    }
    registry.clear();
    gCurrent.reset();
}

}  // namespace movra
