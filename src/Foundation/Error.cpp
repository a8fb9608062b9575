#include "Foundation/Error.h"

namespace movra {

std::string Error::summary() const {
    std::string s = domain + " " + std::to_string(code);
    if (!localizedDescription.empty()) s += ": " + localizedDescription;
    if (!failureReason.empty()) s += " (" + failureReason + ")";
    return s;
}

ErrorPtr makeError(std::string domain, std::int64_t code, std::string localizedDescription, std::string failureReason,
                   nlohmann::ordered_json userInfo) {
    auto e = std::make_shared<Error>();
    e->domain = std::move(domain);
    e->code = code;
    e->localizedDescription = std::move(localizedDescription);
    e->failureReason = std::move(failureReason);
    e->userInfo = userInfo.is_object() ? std::move(userInfo) : nlohmann::ordered_json::object();
    return e;
}

ErrorPtr withUserInfo(const ErrorPtr& error, const std::string& key, nlohmann::ordered_json value) {
    if (!error) return error;
    auto copy = std::make_shared<Error>(*error);
    copy->userInfo[key] = std::move(value);
    return copy;
}

}  // namespace movra
