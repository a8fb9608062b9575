// `movra play GUID`: imports the title and plays it on the player screen, printing its progress, bookmarks,
// cue points and errors; space pauses, the arrow keys seek, q quits.
#pragma once

#include "movra/GlobalOptions.h"

#include <optional>
#include <string>

namespace movra::cli {

struct PlayCommand {
    std::string guid;
    std::optional<double> from;
    bool startOver = false;
    double forSeconds = 0;
    std::string video = "auto";
    std::string audio = "auto";
    std::optional<std::string> subtitle;
    std::optional<std::string> audioTrack;

    int run(const GlobalOptions& options) const;
};

}  // namespace movra::cli
