// `movra watchlist [add GUID | remove GUID]`: lists the subscriber's watchlist channel (fetched afresh),
// or puts a title on it or takes it off, updating the stored records of the title on success.
#pragma once

#include "movra/GlobalOptions.h"

#include <string>

namespace movra::cli {

struct WatchlistCommand {
    enum class Action { List, Add, Remove };
    Action action = Action::List;
    std::string guid;

    int run(const GlobalOptions& options) const;
};

}  // namespace movra::cli
