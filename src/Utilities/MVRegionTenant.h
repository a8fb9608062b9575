// The region tenants of the service.
#pragma once

namespace movra {

enum MVRegionTenant : unsigned {
    MVRegionTenantNone = 0,    // not recognised
    MVRegionTenantSolara = 1,  // Spain
    MVRegionTenantTavik = 2,   // the Nordic countries
};

}  // namespace movra
