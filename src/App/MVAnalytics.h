// Usage analytics: events, session-starting events and screen views, each carrying the subscriber,
// tenant and profile dimensions.
//
// Thread contract: main queue.
#pragma once

#include <optional>
#include <string>

namespace movra {

void MVTrackEvent(const std::string& category, const std::string& action, const std::optional<std::string>& label,
                  long long value);
/// As MVTrackEvent, starting a new analytics session.
void MVTrackSessionStartEvent(const std::string& category, const std::string& action,
                              const std::optional<std::string>& label, long long value);
/// Sends nothing for an empty name.
void MVTrackScreenView(const std::optional<std::string>& screenName);

}  // namespace movra
