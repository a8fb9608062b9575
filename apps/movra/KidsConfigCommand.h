// `movra kids-config [--pin NNNN | --clear-pin] [--ignore true|false]`: shows the kids-mode configuration
// kept in the subscriber's settings, or writes the parts given. A PIN that is not four digits is refused
// before anything is sent.
#pragma once

#include "movra/GlobalOptions.h"

#include <optional>
#include <string>

namespace movra::cli {

struct KidsConfigCommand {
    std::optional<std::string> pin;
    bool clearPin = false;
    /// "true" or "false".
    std::optional<std::string> ignore;

    int run(const GlobalOptions& options) const;
};

}  // namespace movra::cli
