// CrashReporter: records crashes and non-fatal reports.
#pragma once

#include "Foundation/Json.h"

#include <string>

namespace movra {

class CrashReporter {
  public:
    virtual ~CrashReporter() = default;
    /// Starts reporting under the service's API key.
    virtual void start(const std::string& apiKey) = 0;
    virtual void notifyNonFatal(const std::string& name, const std::string& reason,
                                const Json& metadata = Json::object()) = 0;
};

}  // namespace movra
