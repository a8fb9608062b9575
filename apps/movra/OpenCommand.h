// `movra open GUID|PATH [--all-pages] [--play]`: routes a catalogue item (by guid, or the item whose link is
// PATH; a path nothing stored links to is opened as a list) as the app routes a tap, and prints the screen
// it opens with its contents and loading state. With --all-pages a list pages to its feed's total first;
// with --play a title page's play action runs and the title plays.
#pragma once

#include "movra/GlobalOptions.h"

#include <string>

namespace movra::cli {

struct OpenCommand {
    std::string target;
    bool allPages = false;
    bool play = false;

    int run(const GlobalOptions& options) const;
};

}  // namespace movra::cli
