// `movra api METHOD PATH [-p KEY=VALUE]...`: one request through the API client's common request path,
// printing exactly what was sent and how the answer was read.
#pragma once

#include "movra/GlobalOptions.h"

#include <string>
#include <vector>

namespace movra::cli {

struct ApiCommand {
    std::string method;
    std::string path;
    std::vector<std::string> parameters;

    int run(const GlobalOptions& options) const;
};

}  // namespace movra::cli
