// PlatformFactory: builds the Platform of a real process: system clock, a global queue of four threads,
// libcurl transports, the keychain and defaults files and the crash folder in the data directory, the
// system's device and locale, and logging to "<data directory>/movra.log".
#pragma once

#include "Foundation/Log.h"
#include "Platform/Platform.h"

#include <memory>

namespace movra {

/// "$XDG_DATA_HOME/movra", else "~/.local/share/movra", as desktop programs on this system expect.
std::string defaultDataDirectory();

/// The front end decides how screens are shown, so it passes its `uiHost`. An empty data directory means
/// "$XDG_DATA_HOME/movra" (else "~/.local/share/movra"); it is created when missing, and logging (console
/// at `consoleLevel`) is set up before anything else logs.
std::shared_ptr<Platform> makeSystemPlatform(Configuration configuration, std::shared_ptr<UiHost> uiHost,
                                             LogLevel consoleLevel);

}  // namespace movra
