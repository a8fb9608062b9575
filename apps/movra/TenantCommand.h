// `movra tenant`: runs the region check and shows its answer, how the client reads it, and the tenants
// the client knows.
#pragma once

#include "movra/GlobalOptions.h"

namespace movra::cli {

struct TenantCommand {
    int run(const GlobalOptions& options) const;
};

}  // namespace movra::cli
