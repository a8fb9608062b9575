// The options every `movra` command takes, and what they make of the configuration.
#pragma once

#include "Foundation/Error.h"
#include "Foundation/Log.h"
#include "Platform/Configuration.h"

#include <string>

namespace movra::cli {

struct GlobalOptions {
    std::string dataDir;
    std::string discriminatorHost;
    std::string apiHost;
    std::string caFile;
    std::string tenant;
    std::string drmCertificateFile;
    /// Set by the commands that play: "auto", "window" or "none" for video, "auto" or "none" for audio.
    std::string videoOutput;
    std::string audioOutput;
    bool json = false;
    int verbosity = 0;

    /// The data directory's config.json with the command-line values over it.
    ErrorPtr makeConfiguration(Configuration& configuration) const;
    LogLevel consoleLevel() const;
};

}  // namespace movra::cli
