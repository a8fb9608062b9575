// `movra home`: the landing page as its screen holds it after sign-in: the carousel, each shelf with its
// first titles (or the state of a shelf that failed), continue watching with progress, and the watchlist.
#pragma once

#include "movra/GlobalOptions.h"

namespace movra::cli {

struct HomeCommand {
    int run(const GlobalOptions& options) const;
};

}  // namespace movra::cli
