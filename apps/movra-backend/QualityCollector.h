// QualityCollector: the playback-quality collector of the emulator. It takes a JSON list of session events
// (POST /quality/events), each {"session", "seq", "type", ...}, and keeps them per session in arrival order:
// the session's start (content description, tags), what was measured (join time, rebuffering, bitrate),
// errors, named events and its end with the totals. An event sent again (a batch whose answer was lost) is
// kept once; a body that is not such a list is refused with 400.
//
// Thread contract: every member may be called from any thread.
#pragma once

#include "Foundation/Json.h"
#include "movra-backend/Router.h"

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace movra::backend {

class QualityCollector {
  public:
    void addRoutes(Router& router);

    /// Takes a batch; false (and nothing kept) when it is not a list of events.
    bool receive(std::string_view body);

    /// Each session: {"session", "start": its start event, "events": the others in order, "end": its end event
    /// or null}.
    std::vector<Json> sessions() const;
    void clear();
    /// {"sessions": [...], "rejected": N}
    Json toJson() const;

  private:
    mutable std::mutex mutex_;
    std::vector<Json> sessions_;
    int rejected_ = 0;
};

}  // namespace movra::backend
