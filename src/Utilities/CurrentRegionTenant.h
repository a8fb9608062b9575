// CurrentRegionTenant: the tenant named by the last region check, kept where the lower layers can read it (the
// language sent with every request carries its suffix). The region check, above them, sets it.
//
// Thread contract: any thread, while a platform is installed.
#pragma once

#include "Utilities/MVRegionTenant.h"

namespace movra {

class CurrentRegionTenant {
  public:
    /// MVRegionTenantNone before the first region check.
    static MVRegionTenant tenant();
    static void setTenant(MVRegionTenant tenant);
};

}  // namespace movra
