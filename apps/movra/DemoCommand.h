// `movra demo`: starts the service emulator in-process, points the client at it and shows what a person
// would see, step by step.
#pragma once

#include "movra/GlobalOptions.h"

namespace movra::cli {

struct DemoCommand {
    /// Seconds to wait for each step before giving up.
    double stepTimeoutSeconds = 60;

    int run(const GlobalOptions& options) const;
};

}  // namespace movra::cli
