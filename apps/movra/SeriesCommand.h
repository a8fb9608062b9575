// `movra series GUID [--season N]`: a series as its screen shows it: the seasons as tabs and the chosen
// season's episodes with progress (the first season, or the tab of a season opened by its own guid).
#pragma once

#include "movra/GlobalOptions.h"

#include <string>

namespace movra::cli {

struct SeriesCommand {
    std::string target;
    /// 1 for the first season; 0 keeps the tab the screen chose.
    int season = 0;

    int run(const GlobalOptions& options) const;
};

}  // namespace movra::cli
