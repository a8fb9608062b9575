// CastApplicationMetadata: what a receiver says about a running application.
#pragma once

#include <string>
#include <vector>

namespace movra {

struct CastApplicationMetadata {
    std::string applicationID;
    std::string applicationName;
    /// Namespaces the application listens on.
    std::vector<std::string> namespaces;
};

}  // namespace movra
