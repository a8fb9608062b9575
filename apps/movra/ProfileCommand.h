// `movra profile [adult|kids|none]`: shows the active profile, or picks one as the profile-selection dialog
// does (the adult profile reads the kids-mode configuration first and mentions the PIN primer when no PIN
// is set). Leaving the kids profile runs the exit screen with the PIN, or with `--forgot-pin` the forgot-PIN
// screen with the account password, which also clears the PIN. Neither secret ever comes from an argument.
#pragma once

#include "movra/ClientSession.h"
#include "movra/GlobalOptions.h"

#include <string>

namespace movra::cli {

struct ProfileCommand {
    /// "adult", "kids" or "none"; empty shows the active profile.
    std::string profile;
    /// Leave the kids profile with the account password instead of the PIN.
    bool forgotPin = false;
    bool pinFromStdin = false;
    bool passwordFromStdin = false;

    int run(const GlobalOptions& options) const;

  private:
    int leaveKidsProfile(ClientSession& session, const GlobalOptions& options) const;
};

}  // namespace movra::cli
