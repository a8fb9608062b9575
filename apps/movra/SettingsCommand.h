// `movra settings`: lists the subscriber's settings kept by the back end; `movra settings set NAME=VALUE...`
// writes them and `movra settings clear NAME...` removes them.
#pragma once

#include "movra/GlobalOptions.h"

#include <string>
#include <vector>

namespace movra::cli {

struct SettingsCommand {
    enum class Action { List, Set, Clear };
    Action action = Action::List;
    std::vector<std::string> arguments;

    int run(const GlobalOptions& options) const;
};

}  // namespace movra::cli
