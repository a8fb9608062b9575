// `movra browse [PATH] [--all-pages] [--sort KEY] [--desc]`: imports a channel's first page (and with
// --all-pages every further page, as a list screen pages until the channel's total) and prints the stored
// channel and its items in screen order, filtered for the active profile (only kids titles in the kids
// profile, none in the adult profile).
#pragma once

#include "movra/GlobalOptions.h"

#include <optional>
#include <string>

namespace movra::cli {

struct BrowseCommand {
    std::string path = "browse";
    bool allPages = false;
    std::string sortKey;
    bool descending = false;

    int run(const GlobalOptions& options) const;
};

}  // namespace movra::cli
