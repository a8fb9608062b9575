// `movra thumbnail GUID SECONDS --out FILE`: opens the title's streaming session as the player does, finds its
// seek pictures from the stream's master playlist, writes the picture the seek bar loads for that time as a
// PNG file, and closes the session again.
#pragma once

#include "movra/GlobalOptions.h"

#include <string>

namespace movra::cli {

struct ThumbnailCommand {
    std::string guid;
    double seconds = 0;
    std::string outputPath;

    int run(const GlobalOptions& options) const;
};

}  // namespace movra::cli
