// The emulated usage-analytics collector.
#include "movra-backend/AnalyticsCollector.h"

#include "Foundation/Log.h"
#include "Foundation/Strings.h"
#include "movra-backend/FormEncoding.h"

#include <httplib.h>

#include <algorithm>
#include <array>

namespace movra::backend {

namespace {

constexpr std::array<std::string_view, 8> kHitTypes = {"pageview", "screenview", "event",     "transaction",
                                                       "item",     "social",     "exception", "timing"};

/// Why the protocol would drop `hit`, or empty when it is valid.
std::string problemWith(const Json& hit) {
    if (stringValue(hit, "v") != "1") return "protocol version \"v\" is not 1";
    for (const char* required : {"tid", "cid", "t"}) {
        if (isEmpty(hit, required)) return std::string("no \"") + required + "\"";
    }
    const std::string type = stringValue(hit, "t").value_or("");
    if (std::find(kHitTypes.begin(), kHitTypes.end(), type) == kHitTypes.end()) return "unknown hit type " + type;
    return {};
}

}  // namespace

void AnalyticsCollector::addRoutes(Router& router) {
    using Request = httplib::Request;
    using Response = httplib::Response;
    router.add("POST", "/collect", Router::Face::Analytics,
               [this](const Request& request, Response&, const std::smatch&) { receive(request.body); });
    router.add("POST", "/batch", Router::Face::Analytics,
               [this](const Request& request, Response&, const std::smatch&) {
                   for (const std::string& line : split(request.body, "\n")) {
                       const std::string hit = trim(line, "\r");
                       if (!hit.empty()) receive(hit);
                   }
               });
}

bool AnalyticsCollector::receive(std::string_view text) {
    Json hit = Json::object();
    for (auto& [name, value] : FormEncoding::decode(text)) {
        if (!hit.contains(name)) hit[name] = std::move(value);
    }
    const std::string problem = problemWith(hit);
    std::lock_guard lock(mutex_);
    if (!problem.empty()) {
        Log::warning("movra-backend: analytics hit rejected, {}: {}", problem, text);
        ++rejected_;
        return false;
    }
    hits_.push_back(std::move(hit));
    return true;
}

std::vector<Json> AnalyticsCollector::hits() const {
    std::lock_guard lock(mutex_);
    return hits_;
}

int AnalyticsCollector::rejected() const {
    std::lock_guard lock(mutex_);
    return rejected_;
}

void AnalyticsCollector::clear() {
    std::lock_guard lock(mutex_);
    hits_.clear();
    rejected_ = 0;
}

Json AnalyticsCollector::toJson() const {
    std::lock_guard lock(mutex_);
    return {{"hits", hits_}, {"rejected", rejected_}};
}

}  // namespace movra::backend
