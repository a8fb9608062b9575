// `movra continue`: the continue-watching list: the recently-watched channel fetched afresh, with each
// title's resume position and progress.
#pragma once

#include "movra/GlobalOptions.h"

namespace movra::cli {

struct ContinueCommand {
    int run(const GlobalOptions& options) const;
};

}  // namespace movra::cli
