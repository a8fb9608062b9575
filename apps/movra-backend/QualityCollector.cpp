// The emulated playback-quality collector.
#include "movra-backend/QualityCollector.h"

#include "Foundation/Log.h"

#include <httplib.h>

#include <algorithm>

namespace movra::backend {

namespace {

bool isEvent(const Json& event) {
    return event.is_object() && event.contains("session") && event["session"].is_string() && event.contains("seq") &&
           event["seq"].is_number_integer() && event.contains("type") && event["type"].is_string();
}

}  // namespace

void QualityCollector::addRoutes(Router& router) {
    router.add("POST", "/quality/events", Router::Face::Analytics,
               [this](const httplib::Request& request, httplib::Response& response, const std::smatch&) {
                   response.status = receive(request.body) ? 204 : 400;
               });
}

bool QualityCollector::receive(std::string_view body) {
    const Json events = Json::parse(body, nullptr, /*allow_exceptions=*/false);
    std::lock_guard lock(mutex_);
    if (!events.is_array() || !std::all_of(events.begin(), events.end(), isEvent)) {
        Log::warning("movra-backend: playback-quality batch rejected: {}", body.substr(0, 200));
        ++rejected_;
        return false;
    }
    for (const Json& event : events) {
        const auto id = event["session"].get<std::string>();
        auto session =
            std::find_if(sessions_.begin(), sessions_.end(), [&](const Json& s) { return s["session"] == id; });
        if (session == sessions_.end()) {
            sessions_.push_back({{"session", id}, {"start", nullptr}, {"events", Json::array()}, {"end", nullptr}});
            session = sessions_.end() - 1;
        }
        const auto& seen = (*session)["events"];
        const bool again =
            std::any_of(seen.begin(), seen.end(), [&](const Json& e) { return e["seq"] == event["seq"]; }) ||
            ((*session)["start"].is_object() && (*session)["start"]["seq"] == event["seq"]) ||
            ((*session)["end"].is_object() && (*session)["end"]["seq"] == event["seq"]);
        if (again) continue;
        const auto type = event["type"].get<std::string>();
        if (type == "sessionStart")
            (*session)["start"] = event;
        else if (type == "sessionEnd")
            (*session)["end"] = event;
        else
            (*session)["events"].push_back(event);
    }
    return true;
}

std::vector<Json> QualityCollector::sessions() const {
    std::lock_guard lock(mutex_);
    return sessions_;
}

void QualityCollector::clear() {
    std::lock_guard lock(mutex_);
    sessions_.clear();
    rejected_ = 0;
}

Json QualityCollector::toJson() const {
    std::lock_guard lock(mutex_);
    return {{"sessions", sessions_}, {"rejected", rejected_}};
}

}  // namespace movra::backend
