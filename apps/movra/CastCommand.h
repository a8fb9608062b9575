// `movra cast devices`: lists the cast receivers discovery finds, each with whether the service's receiver
// application is available there.
#pragma once

#include "movra/GlobalOptions.h"

namespace movra::cli {

struct CastCommand {
    /// Seconds to look for receivers.
    double waitSeconds = 3;

    int runDevices(const GlobalOptions& options) const;
};

}  // namespace movra::cli
