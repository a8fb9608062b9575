// `movra menu`: the root menu as the client stores it (served from the store while fresh).
#pragma once

#include "movra/GlobalOptions.h"

namespace movra::cli {

struct MenuCommand {
    int run(const GlobalOptions& options) const;
};

}  // namespace movra::cli
