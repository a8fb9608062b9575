// `movra search QUERY` runs a full search as the search screen does (the search key) and prints what the
// screen shows: the results filtered for the active profile, or its message. `movra suggest TEXT` types TEXT
// one character at a time, as a person does, and prints the suggestions the screen shows after each one
// (a request for each character from the second on).
#pragma once

#include "movra/GlobalOptions.h"

#include <string>

namespace movra::cli {

struct SearchCommand {
    std::string text;
    /// Type the text and show the suggestions, instead of searching.
    bool suggest = false;

    int run(const GlobalOptions& options) const;
};

}  // namespace movra::cli
