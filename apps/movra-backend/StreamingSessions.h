// StreamingSessions: the streaming sessions open on the emulated service, one per device at most: opening
// again on the same device renews that device's session (the client re-opens after a long pause), and an
// account may watch on kMaxPerAccount devices at once. Sessions are kept in memory: a restart closes them.
//
// Thread contract: every member may be called from any thread.
#pragma once

#include "Foundation/Json.h"

#include <cstddef>
#include <map>
#include <mutex>
#include <string>

namespace movra::backend {

class StreamingSessions {
  public:
    static constexpr std::size_t kMaxPerAccount = 2;

    /// Opens or renews the session of `deviceId` for `userName` playing `guid`; false (nothing changes)
    /// when the account already watches on kMaxPerAccount other devices.
    bool open(const std::string& userName, const std::string& deviceId, const std::string& guid);
    /// Closes the device's session; false when it had none.
    bool close(const std::string& userName, const std::string& deviceId);
    std::size_t openCount(const std::string& userName) const;
    /// {"<userName>": {"<deviceId>": "<guid>", ...}, ...} for the control endpoint.
    Json toJson() const;

  private:
    mutable std::mutex mutex_;
    /// User name -> device id -> guid of the title playing.
    std::map<std::string, std::map<std::string, std::string>> open_;
};

}  // namespace movra::backend
