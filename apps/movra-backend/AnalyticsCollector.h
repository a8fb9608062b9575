// AnalyticsCollector: the usage-analytics collector of the emulator. It takes hits in the measurement
// protocol's form encoding, one a request (POST /collect) or one a line (POST /batch), keeps the valid
// ones in arrival order for tests and people to read, and counts the ones it rejects.
//
// Thread contract: every member may be called from any thread.
#pragma once

#include "Foundation/Json.h"
#include "movra-backend/Router.h"

#include <mutex>
#include <string_view>
#include <vector>

namespace movra::backend {

class AnalyticsCollector {
  public:
    void addRoutes(Router& router);

    /// Takes one form-encoded hit. It is kept, as an object of its parameters (the first value of each),
    /// when it has "v" = "1", "tid", "cid" and a known hit type "t"; otherwise it only counts as rejected.
    bool receive(std::string_view hit);

    std::vector<Json> hits() const;
    int rejected() const;
    void clear();
    /// {"hits": [...], "rejected": N}
    Json toJson() const;

  private:
    mutable std::mutex mutex_;
    std::vector<Json> hits_;
    int rejected_ = 0;
};

}  // namespace movra::backend
