// `movra item GUID`: imports one title's page and prints the stored item with its media details.
#pragma once

#include "movra/GlobalOptions.h"

#include <string>

namespace movra::cli {

struct ItemCommand {
    std::string guid;

    int run(const GlobalOptions& options) const;
};

}  // namespace movra::cli
