// `movra kids-config [--set-pin [--pin-stdin] | --clear-pin] [--ignore true|false]`: shows the kids-mode
// configuration kept in the subscriber's settings, or writes the parts given. `--set-pin` runs the set-PIN
// screen, which also turns the kids-mode set-up on. The PIN is read as the password is (stdin, MOVRA_PIN or a
// prompt), never taken from an argument; one that is not four digits is refused before anything is sent.
#pragma once

#include "movra/GlobalOptions.h"

#include <optional>
#include <string>

namespace movra::cli {

struct KidsConfigCommand {
    bool setPin = false;
    bool pinFromStdin = false;
    bool clearPin = false;
    /// "true" or "false".
    std::optional<std::string> ignore;

    int run(const GlobalOptions& options) const;
};

}  // namespace movra::cli
