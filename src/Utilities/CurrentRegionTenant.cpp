#include "Utilities/CurrentRegionTenant.h"

#include "Platform/Platform.h"

#include <atomic>

namespace movra {

namespace {
/// One per platform, so that each test starts without a tenant.
struct RegionTenantSlot {
    std::atomic<MVRegionTenant> tenant{MVRegionTenantNone};
};
}  // namespace

MVRegionTenant CurrentRegionTenant::tenant() { return Platform::current().sharedObject<RegionTenantSlot>()->tenant; }

void CurrentRegionTenant::setTenant(MVRegionTenant tenant) {
    Platform::current().sharedObject<RegionTenantSlot>()->tenant = tenant;
}

}  // namespace movra
