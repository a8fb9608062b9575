// `movra account`: reads the signed-in subscriber's account record from the back end.
#pragma once

#include "movra/GlobalOptions.h"

namespace movra::cli {

struct AccountCommand {
    int run(const GlobalOptions& options) const;
};

}  // namespace movra::cli
