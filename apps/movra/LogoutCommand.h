// `movra logout`: signs out as the app does: the stored token, guids and user name go (the device
// identifier stays), then the back end is told to sign the device out.
#pragma once

#include "movra/GlobalOptions.h"

namespace movra::cli {

struct LogoutCommand {
    int run(const GlobalOptions& options) const;
};

}  // namespace movra::cli
