// `movra profile [adult|kids|none]`: shows the active profile, or picks one as the profile-selection dialog
// does (the adult profile reads the kids-mode configuration first and mentions the PIN primer when no PIN
// is set). Leaving the kids profile is refused: it takes the PIN flow.
#pragma once

#include "movra/GlobalOptions.h"

#include <string>

namespace movra::cli {

struct ProfileCommand {
    /// "adult", "kids" or "none"; empty shows the active profile.
    std::string profile;

    int run(const GlobalOptions& options) const;
};

}  // namespace movra::cli
