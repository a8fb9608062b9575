// `movra item GUID`: imports one title's page and prints the stored item with its media details.
#pragma once

#include <string>

#include "movra/GlobalOptions.h"

namespace movra::cli {

struct ItemCommand {
    std::string guid;

    int run(const GlobalOptions& options) const;
};

}  // namespace movra::cli
