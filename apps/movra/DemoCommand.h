// `movra demo`: starts the service emulator in-process, points the client at it and shows what a person
// would see, step by step.
#pragma once

#include "movra/GlobalOptions.h"

namespace movra::cli {

struct DemoCommand {
    /// Seconds to wait for each step before giving up.
    double stepTimeoutSeconds = 60;
    /// Seconds of a title the demo plays.
    double playSeconds = 5;
    /// A film of the sample catalogue.
    static constexpr const char* kDemoTitle = "film-frost-line";

    int run(const GlobalOptions& options) const;
};

}  // namespace movra::cli
