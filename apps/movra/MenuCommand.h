// `movra menu`: the side menu's rows as the menu holds them (the root menu without its special entries, then
// "Log Out"), the row it opens on, and the special entries it keeps for the app (search, watchlist, recently
// watched, the kids section). The root menu comes from the store while fresh.
#pragma once

#include "movra/GlobalOptions.h"

namespace movra::cli {

struct MenuCommand {
    int run(const GlobalOptions& options) const;
};

}  // namespace movra::cli
