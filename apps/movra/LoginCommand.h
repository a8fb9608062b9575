// `movra login USER [--password-stdin]`: signs in through the sign-in screen. The password comes from
// stdin, the MOVRA_PASSWORD environment variable or a prompt that does not echo; never from an argument.
#pragma once

#include "movra/GlobalOptions.h"

#include <string>

namespace movra::cli {

struct LoginCommand {
    std::string userName;
    bool passwordFromStdin = false;

    int run(const GlobalOptions& options) const;
};

}  // namespace movra::cli
